#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The Windows archive made by tools/windows-archive from both Windows builds: exactly the
# expected entries, each binary the build's own, the plug-ins and programs of each folder of
# the machine type it names (PE header: 0x14c i386, 0x8664 x86-64), the licence and the
# notices of what the binaries have built in, the GCC and mingw-w64 runtimes among them.
#   windows_archive_test.sh OUT_DIR WIN32_BUILD_DIR WIN64_BUILD_DIR
set -euo pipefail
out="$1" win32="$2" win64="$3"
for dir in "$win32" "$win64"; do
  [ -f "$dir/host/Fyrel.aex" ] || { echo "no $dir/host/Fyrel.aex (bash tools/build-windows)"; exit 77; }
done
zip="$(bash "$(dirname "$0")/../../tools/windows-archive" "$out" "$win32" "$win64")"
top="$(basename "$zip" .zip | sed 's/^fyrel/Fyrel/')"
expected="$(printf '%s\n' "$top/" "$top/32-bit hosts/" "$top/32-bit hosts/Fyrel.aex" \
  "$top/64-bit hosts/" "$top/64-bit hosts/Fyrel.aex" "$top/INSTALL.txt" "$top/LICENSE.txt" \
  "$top/NOTICES.txt" "$top/command line/" \
  "$top/command line/32-bit/" "$top/command line/32-bit/fyrel.exe" "$top/command line/64-bit/" \
  "$top/command line/64-bit/fyrel.exe")"
diff <(echo "$expected") <(unzip -Z1 "$zip") || { echo "unexpected entries (> in the archive)"; exit 1; }

machine() {  # the PE machine field: 2 bytes at 4 past the offset stored at 0x3c
  local pe; pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}
unpacked="$(mktemp -d)"; trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"
status=0
for entry in "32-bit hosts/Fyrel.aex:$win32/host/Fyrel.aex:014c" \
             "64-bit hosts/Fyrel.aex:$win64/host/Fyrel.aex:8664" \
             "command line/32-bit/fyrel.exe:$win32/cli/fyrel.exe:014c" \
             "command line/64-bit/fyrel.exe:$win64/cli/fyrel.exe:8664"; do
  IFS=: read -r name built want <<< "$entry"
  file="$unpacked/$top/$name"
  cmp -s "$file" "$built" || { echo "$name is not $built"; status=1; }
  [ "$(machine "$file")" = "$want" ] || { echo "$name: machine $(machine "$file"), not $want"; status=1; }
done
grep -q 'Plug-ins' "$unpacked/$top/INSTALL.txt" || { echo "INSTALL.txt names no plug-in folder"; status=1; }
source="$(dirname "$0")/../.."
for text in LICENSE:LICENSE.txt packaging/NOTICES.txt:NOTICES.txt; do
  cmp -s <(sed 's/$/\r/' "$source/${text%%:*}") "$unpacked/$top/${text#*:}" ||
    { echo "${text#*:} is not ${text%%:*} with Windows line ends"; status=1; }
done
for part in 'GCC RUNTIME LIBRARY EXCEPTION' 'mingw-w64 project' CLI11 stb_image; do
  grep -q "$part" "$unpacked/$top/NOTICES.txt" || { echo "NOTICES.txt lacks $part"; status=1; }
done
exit "$status"
