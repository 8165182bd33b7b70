#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The Windows installer (tools/windows-installer) in a wine prefix of its own, as a user runs
# it: silently with every part, beside an OBS Studio that is already there (a module of its own
# in obs-plugins\64bit) and two hosts (a plug-in of their own in each Plug-ins folder), whose
# folders are named on the command line. Each file must be where its host looks and be the
# build's own; the entry in "Apps" and the PATH must be there; the installed renderer runs by
# its name alone; the installed frei0r filter writes the Linux filter's frames byte for byte
# and the installed OpenFX plug-in passes the OpenFX host test. Then the uninstaller runs,
# silently, and the prefix must be as before: the same files (the other modules among them),
# no uninstall key, the same PATH.
# Exit 77 (skipped) when the Windows builds, makensis or a runnable wine64 are missing.
#   windows_installer_test.sh WORK WIN32_BUILD_DIR WIN64_BUILD_DIR LINUX_BUILD_DIR
#                             LINUX_FRAMES LINUX_FREI0R WINE64 CANNOT_RUN
set -euo pipefail
work="$1" win32="$2" win64="$3" linux="$4" linux_frames="$5" linux_frei0r="$6" wine="$7"
cannot_run="$8"
here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$here/../.."
frames_exe="$win64/tests/frei0r/frei0r_frames.exe"
ofx_test_exe="$win64/tests/ofx/ofx_host_test.exe"
for needed in "$win32/host/Fyrel.aex" "$win64/obs/fyrel-obs.dll" "$frames_exe" "$ofx_test_exe"; do
  [ -f "$needed" ] || { echo "skipped: no $needed (bash tools/build-windows)"; exit 77; }
done
command -v makensis > /dev/null || { echo "skipped: no makensis (install nsis)"; exit 77; }
[ -z "$cannot_run" ] || { echo "skipped: $cannot_run"; exit 77; }

rm -rf "$work"
mkdir -p "$work"
setup="$(bash "$source_dir/tools/windows-installer" "$work" "$win32" "$win64" "$linux")"
export WINEPREFIX="$work/wineprefix" WINEARCH=win64 WINEDEBUG=-all
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver
run() { "$wine" "$@"; }
settle() { "$wineserver" -w; }
c="$WINEPREFIX/drive_c"
fail() { echo "windows_installer_test: $*" >&2; exit 1; }

run wineboot -i > /dev/null 2>&1 || true
settle
# An OBS Studio and two hosts already installed, each with a module of its own that must
# outlive the uninstall.
for folder in "Program Files/obs-studio/obs-plugins/64bit" Hosts/32/Plug-ins Hosts/64/Plug-ins; do
  mkdir -p "$c/$folder"
  echo "another module" > "$c/$folder/other-module.dll"
done
environment='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Fyrel'
# The prefix's files, wine's own folders and every temporary file left aside.
snapshot() {
  (cd "$c" && find . -path ./windows -prune -o -path '*/Temp' -prune -o -print | LC_ALL=C sort)
}
path_value() { run reg query "$environment" /v Path | tr -d '\r' | sed -n 's/^ *Path *REG_[A-Z_]* *//p'; }
snapshot > "$work/before.txt"
path_before="$(path_value)"

run "$setup" /S '/HOST32DIR=C:\Hosts\32\Plug-ins' '/HOST64DIR=C:\Hosts\64\Plug-ins' ||
  fail "the installer failed"
settle

# Each part where its host looks, the build's own bytes.
status=0
while IFS=: read -r installed built; do
  cmp -s "$c/$installed" "$built" || { echo "missing or not the build's: C:/$installed"; status=1; }
done <<EOF
Hosts/32/Plug-ins/Fyrel.aex:$win32/host/Fyrel.aex
Hosts/64/Plug-ins/Fyrel.aex:$win64/host/Fyrel.aex
Program Files/Common Files/OFX/Plugins/Fyrel.ofx.bundle/Contents/Win64/Fyrel.ofx:$win64/ofx/Fyrel.ofx.bundle/Contents/Win64/Fyrel.ofx
Program Files/obs-studio/obs-plugins/64bit/fyrel-obs.dll:$win64/obs/fyrel-obs.dll
Program Files/obs-studio/data/obs-plugins/fyrel-obs/locale/en-US.ini:$source_dir/obs/data/locale/en-US.ini
Program Files/obs-studio/data/obs-plugins/fyrel-obs/effects/texel.effect:$source_dir/obs/data/effects/texel.effect
Program Files/Shotcut/lib/frei0r-1/fyrel.dll:$win64/frei0r/fyrel.dll
Program Files/Shotcut/share/shotcut/qml/filters/fyrel/meta.qml:$source_dir/frei0r/shotcut/meta.qml
Program Files/Shotcut/share/shotcut/qml/filters/fyrel/ui.qml:$linux/frei0r/shotcut/ui.qml
Program Files/kdenlive/lib/frei0r-1/fyrel.dll:$win64/frei0r/fyrel.dll
Program Files/kdenlive/bin/data/kdenlive/effects/frei0r_fyrel.xml:$linux/frei0r/frei0r_fyrel.xml
Program Files/Fyrel/bin/fyrel.exe:$win64/cli/fyrel.exe
EOF
[ -f "$c/Program Files/Fyrel/uninstall.exe" ] || { echo "no uninstaller"; status=1; }
[ "$status" = 0 ] || fail "the installed files are not all where they belong"

# The entry in "Apps", and the renderer on the PATH.
run reg query "$uninstall_key" | tr -d '\r' > "$work/uninstall-key.txt"
grep -q 'DisplayName *REG_SZ *ZEL Fyrel$' "$work/uninstall-key.txt" &&
  grep -q 'UninstallString *REG_SZ *"C:\\Program Files\\Fyrel\\uninstall.exe"$' "$work/uninstall-key.txt" ||
  fail "no uninstall entry with a name and the uninstaller: $(cat "$work/uninstall-key.txt")"
[ "$(path_value)" = "$path_before;C:\\Program Files\\Fyrel\\bin" ] ||
  fail "the PATH is not the old one and the renderer's folder: $(path_value)"
run cmd /c "fyrel.exe --version" | tr -d '\r' | grep -q '^fyrel ' ||
  fail "fyrel.exe does not run by its name alone"
settle

# The installed binaries render: the frei0r filter as the Linux filter does, byte for byte,
# and the OpenFX plug-in through the OpenFX host test.
bash "$source_dir/tests/frei0r/windows_frames_test.sh" "$linux_frames" "$linux_frei0r" \
  "$frames_exe" "$c/Program Files/Shotcut/lib/frei0r-1/fyrel.dll" "$wine" "" "$work/frames" ||
  fail "the installed frei0r filter writes other frames than the Linux one"
run "$ofx_test_exe" 'C:\Program Files\Common Files\OFX\Plugins\Fyrel.ofx.bundle\Contents\Win64\Fyrel.ofx' \
  > "$work/ofx.log" 2>&1 || { tail -20 "$work/ofx.log"; fail "the installed OpenFX plug-in fails its host test"; }
settle

run "$c/Program Files/Fyrel/uninstall.exe" /S || fail "the uninstaller failed"
settle
snapshot > "$work/after.txt"
diff "$work/before.txt" "$work/after.txt" >&2 || fail "files differ after the uninstall (> left behind)"
! run reg query "$uninstall_key" > /dev/null 2>&1 || fail "the uninstall key is left behind"
[ "$(path_value)" = "$path_before" ] || fail "the PATH is not as before: $(path_value)"
echo "windows_installer_test: $(basename "$setup") installed every part, rendered, uninstalled, nothing left behind"
