#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# A Windows frei0r filter against the Linux one: the frame writer of our own (frei0r_frames)
# drives fyrel.so here and, built for Windows, a fyrel.dll under wine; the two files of frames
# must be equal byte for byte. Exit 77 (skipped) when the Windows files are not built or wine
# for them cannot run here. WINEPREFIX, when set, is the prefix to run in (the installer's test
# runs the DLL it installed there); otherwise one is made under WORK.
#   windows_frames_test.sh LINUX_HOST LINUX_MODULE WINDOWS_HOST WINDOWS_MODULE WINE CANNOT_RUN WORK
set -euo pipefail
linux_host="$1" linux_module="$2" windows_host="$3" windows_module="$4" wine="$5" cannot_run="$6"
work="$7"
for needed in "$windows_host" "$windows_module"; do
  [ -f "$needed" ] || { echo "skipped: no $needed (bash tools/build-windows)"; exit 77; }
done
[ -z "$cannot_run" ] || { echo "skipped: $cannot_run"; exit 77; }
mkdir -p "$work"
rm -f "$work/linux.rgba" "$work/windows.rgba"
"$linux_host" "$linux_module" "$work/linux.rgba"
WINEPREFIX="${WINEPREFIX:-$work/wineprefix}" WINEARCH=win64 WINEDEBUG=-all \
  "$wine" "$windows_host" "$windows_module" "$work/windows.rgba"
cmp "$work/linux.rgba" "$work/windows.rgba" ||
  { echo "$windows_module writes other frames than $linux_module"; exit 1; }
echo "$(stat -c %s "$work/linux.rgba") bytes of frames, the same from both"
