#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The Windows archive made by tools/windows-archive from both Windows builds and the Linux
# build's frei0r descriptions: exactly the expected entries, every part in the folders its host
# looks in, each binary the build's own and of the machine type its folder names (PE header:
# 0x14c i386, 0x8664 x86-64), the licence and the notices of what the binaries have built in,
# the GCC and mingw-w64 runtimes among them.
#   windows_archive_test.sh OUT_DIR WIN32_BUILD_DIR WIN64_BUILD_DIR LINUX_BUILD_DIR
set -euo pipefail
out="$1" win32="$2" win64="$3" linux="$4"
for file in "$win32/host/Fyrel.aex" "$win64/obs/fyrel-obs.dll" "$linux/frei0r/frei0r_fyrel.xml"; do
  [ -f "$file" ] || { echo "no $file (bash tools/build-windows; bash tools/build)"; exit 77; }
done
zip="$(bash "$(dirname "$0")/../../tools/windows-archive" "$out" "$win32" "$win64" "$linux")"
top="$(basename "$zip" .zip | sed 's/^fyrel/Fyrel/')"
entries=("" "32-bit hosts/" "32-bit hosts/Fyrel.aex" "64-bit hosts/" "64-bit hosts/Fyrel.aex"
  INSTALL.txt Kdenlive/ Kdenlive/bin/ Kdenlive/bin/data/ Kdenlive/bin/data/kdenlive/
  Kdenlive/bin/data/kdenlive/effects/ Kdenlive/bin/data/kdenlive/effects/frei0r_fyrel.xml
  Kdenlive/lib/ Kdenlive/lib/frei0r-1/ Kdenlive/lib/frei0r-1/fyrel.dll LICENSE.txt NOTICES.txt
  "OBS Studio/" "OBS Studio/data/" "OBS Studio/data/obs-plugins/"
  "OBS Studio/data/obs-plugins/fyrel-obs/" "OBS Studio/data/obs-plugins/fyrel-obs/effects/"
  "OBS Studio/data/obs-plugins/fyrel-obs/effects/texel.effect" "OBS Studio/data/obs-plugins/fyrel-obs/locale/"
  "OBS Studio/data/obs-plugins/fyrel-obs/locale/en-US.ini" "OBS Studio/obs-plugins/"
  "OBS Studio/obs-plugins/64bit/" "OBS Studio/obs-plugins/64bit/fyrel-obs.dll"
  OpenFX/ OpenFX/Fyrel.ofx.bundle/ OpenFX/Fyrel.ofx.bundle/Contents/
  OpenFX/Fyrel.ofx.bundle/Contents/Win64/ OpenFX/Fyrel.ofx.bundle/Contents/Win64/Fyrel.ofx
  Shotcut/ Shotcut/lib/ Shotcut/lib/frei0r-1/ Shotcut/lib/frei0r-1/fyrel.dll Shotcut/share/
  Shotcut/share/shotcut/ Shotcut/share/shotcut/qml/ Shotcut/share/shotcut/qml/filters/
  Shotcut/share/shotcut/qml/filters/fyrel/ Shotcut/share/shotcut/qml/filters/fyrel/meta.qml
  Shotcut/share/shotcut/qml/filters/fyrel/ui.qml "command line/" "command line/32-bit/"
  "command line/32-bit/fyrel.exe" "command line/64-bit/" "command line/64-bit/fyrel.exe")
expected="$(printf "$top/%s\n" "${entries[@]}")"
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
             "OpenFX/Fyrel.ofx.bundle/Contents/Win64/Fyrel.ofx:$win64/ofx/Fyrel.ofx.bundle/Contents/Win64/Fyrel.ofx:8664" \
             "OBS Studio/obs-plugins/64bit/fyrel-obs.dll:$win64/obs/fyrel-obs.dll:8664" \
             "Shotcut/lib/frei0r-1/fyrel.dll:$win64/frei0r/fyrel.dll:8664" \
             "Kdenlive/lib/frei0r-1/fyrel.dll:$win64/frei0r/fyrel.dll:8664" \
             "command line/32-bit/fyrel.exe:$win32/cli/fyrel.exe:014c" \
             "command line/64-bit/fyrel.exe:$win64/cli/fyrel.exe:8664"; do
  IFS=: read -r name built want <<< "$entry"
  file="$unpacked/$top/$name"
  cmp -s "$file" "$built" || { echo "$name is not $built"; status=1; }
  [ "$(machine "$file")" = "$want" ] || { echo "$name: machine $(machine "$file"), not $want"; status=1; }
done
grep -q 'Plug-ins' "$unpacked/$top/INSTALL.txt" || { echo "INSTALL.txt names no plug-in folder"; status=1; }
source="$(dirname "$0")/../.."
# The texts: OBS's locale and effect as the module's data, the frei0r descriptions as the
# Linux build wrote them.
for text in "obs/data/locale/en-US.ini:OBS Studio/data/obs-plugins/fyrel-obs/locale/en-US.ini" \
            "obs/data/effects/texel.effect:OBS Studio/data/obs-plugins/fyrel-obs/effects/texel.effect" \
            "frei0r/shotcut/meta.qml:Shotcut/share/shotcut/qml/filters/fyrel/meta.qml"; do
  cmp -s "$source/${text%%:*}" "$unpacked/$top/${text#*:}" || { echo "${text#*:} is not ${text%%:*}"; status=1; }
done
for text in "frei0r/shotcut/ui.qml:Shotcut/share/shotcut/qml/filters/fyrel/ui.qml" \
            "frei0r/frei0r_fyrel.xml:Kdenlive/bin/data/kdenlive/effects/frei0r_fyrel.xml"; do
  cmp -s "$linux/${text%%:*}" "$unpacked/$top/${text#*:}" || { echo "${text#*:} is not ${text%%:*}"; status=1; }
done
for text in LICENSE:LICENSE.txt packaging/NOTICES.txt:NOTICES.txt; do
  cmp -s <(sed 's/$/\r/' "$source/${text%%:*}") "$unpacked/$top/${text#*:}" ||
    { echo "${text#*:} is not ${text%%:*} with Windows line ends"; status=1; }
done
for part in 'GCC RUNTIME LIBRARY EXCEPTION' 'mingw-w64 project' CLI11 stb_image; do
  grep -q "$part" "$unpacked/$top/NOTICES.txt" || { echo "NOTICES.txt lacks $part"; status=1; }
done
exit "$status"
