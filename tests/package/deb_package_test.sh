#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian packages on this machine (as root): built by tools/package, installed with apt,
# used as installed programs are (/usr/bin/fyrel, frei0r=fyrel in ffmpeg and the GStreamer and
# MLT filters with no FREI0R_PATH, `man fyrel`, the OBS filter where libobs looks for it, the
# OpenFX bundle in /usr/OFX/Plugins through the OpenFX host test), its licence read, then
# purged, leaving the same files as before.
# It installs into /usr, so it runs on its own (a step of tools/test-all), never beside tests
# that load the build's fyrel.so. Whatever happens, the exit trap purges what it installed.
#   bash tests/package/deb_package_test.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
fail() { echo "deb_package_test: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "needs root (it installs the package)"
for package in fyrel fyrel-obs fyrel-ofx; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep 'ok installed' > /dev/null &&
    fail "$package is already installed: this test will not replace or remove it"
done

mapfile -t debs < <(bash tools/package "${1:-build}")
deb="${debs[0]}"
[ "${#debs[@]}" = 3 ] || fail "tools/package did not make fyrel-obs and fyrel-ofx: ${debs[*]}"
tmp="$(mktemp -d)"
watched=(/usr /etc /var/lib/dpkg/info)
[ -d /opt ] && watched+=(/opt)
snapshot() { dpkg-query -W -f='${Package}\n' | sort; find "${watched[@]}" -xdev | sort; }
packages_before="$(dpkg-query -W -f='${Package}\n' | sort)"
cleanup() {
  local added
  added="$(comm -13 <(echo "$packages_before") <(dpkg-query -W -f='${Package}\n' | sort))"
  [ -z "$added" ] || DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=120 \
    $added > "$tmp/purge.log" 2>&1 || cat "$tmp/purge.log" >&2
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
snapshot > "$tmp/before"

# Nothing of the package may be there yet (dpkg would replace such a file and the purge delete
# it), nor a fyrel.so that ffmpeg would find before /usr/lib/frei0r-1.
for package in "${debs[@]}"; do
  while read -r path; do
    [ ! -e "$path" ] || fail "$path exists before the package is installed"
  done < <(dpkg-deb --fsys-tarfile "$package" | tar -t | sed -n 's|^\./\(.*[^/]\)$|/\1|p')
done
for shadow in "$HOME/.frei0r-1/lib/fyrel.so" /usr/local/lib/frei0r-1/fyrel.so; do
  [ ! -e "$shadow" ] || fail "$shadow would be found before the installed filter"
done

DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=120 "${debs[@]}" \
  > "$tmp/install.log" 2>&1 || { cat "$tmp/install.log" >&2; fail "apt-get install ${debs[*]} failed"; }
version="$(dpkg-query -W -f='${Version}' fyrel)"
[ "$(/usr/bin/fyrel --version | head -n 1)" = "fyrel $version" ] || fail "fyrel --version is not $version"

# The licence: Debian's machine-readable copyright file, GPL-2+ for the whole, pointing at the
# licence's text in base-files, and the notices of the code the renderer has built in.
copyright=/usr/share/doc/fyrel/copyright
[ "$(head -n 1 "$copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] &&
  grep -A2 '^Files: \*$' "$copyright" | grep -q '^License: GPL-2+$' && [ -s /usr/share/common-licenses/GPL-2 ] &&
  grep -q 'common-licenses/GPL-2' "$copyright" || fail "$copyright does not give Fyrel's licence, GPL-2+"
for part in 'Files: CLI/\*' 'Files: stb/stb_image.h'; do
  grep -q "^$part" "$copyright" || fail "$copyright has no notice for the renderer's $part"
done

# The installed renderer and the installed filter in ffmpeg give the same frames, with fire.
unset FREI0R_PATH
ffmpeg -hide_banner -nostdin -loglevel error -f lavfi -i testsrc2=size=64x48 -frames:v 1 \
  "$tmp/source.png"
/usr/bin/fyrel render --source "$tmp/source.png" --frames 6 --out "$tmp/cli" --quiet
ffmpeg -hide_banner -nostdin -loglevel error -i "$tmp/cli/frame_%04d.png" -f rawvideo \
  -pix_fmt rgba "$tmp/cli.rgba"
ffmpeg -hide_banner -nostdin -loglevel error -loop 1 -i "$tmp/source.png" -frames:v 6 \
  -vf format=rgba,frei0r=fyrel -f rawvideo -pix_fmt rgba "$tmp/ffmpeg.rgba"
cmp "$tmp/cli.rgba" "$tmp/ffmpeg.rgba" || fail "frei0r=fyrel in ffmpeg differs from /usr/bin/fyrel"
[ "$(tr -d '\0' < "$tmp/cli.rgba" | head -c 1 | wc -c)" = 1 ] || fail "no fire at all"
# A video source is decoded by the footage module, loaded from where the package put it.
ffmpeg -hide_banner -nostdin -loglevel error -f lavfi -i testsrc2=size=64x48 -frames:v 3 "$tmp/clip.mp4"
/usr/bin/fyrel render --source "$tmp/clip.mp4" --out "$tmp/clip" --quiet &&
  [ -f "$tmp/clip/frame_0003.png" ] || fail "/usr/bin/fyrel does not read a video"
GST_REGISTRY="$tmp/gst-registry.bin" gst-inspect-1.0 frei0r-filter-fyrel > /dev/null ||
  fail "GStreamer does not find frei0r-filter-fyrel"
melt -query filter=frei0r.fyrel 2>/dev/null | grep 'identifier: frei0r.fyrel' > /dev/null ||
  fail "MLT does not find frei0r.fyrel"

# The OBS filter in the system's OBS folders, and libobs loading it from there: the build's
# libobs test (when the tree has it) run on the installed module under a virtual display.
obs_module="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/obs-plugins/fyrel-obs.so"
obs_data=/usr/share/obs/obs-plugins/fyrel-obs
[ -f "$obs_module" ] && [ -f "$obs_data/locale/en-US.ini" ] ||
  fail "fyrel-obs put no $obs_module or $obs_data/locale/en-US.ini"
obs_test="${1:-build}/tests/obs/obs_filter_test"
if [ -x "$obs_test" ]; then
  status=0
  FYREL_OBS_MODULE="$obs_module" FYREL_OBS_DATA="$obs_data" xvfb-run -a -s '-screen 0 640x480x24' \
    "$obs_test" --gtest_filter='ObsFilter.Shows*' > "$tmp/obs.log" 2>&1 || status=$?
  [ "$status" = 0 ] || [ "$status" = 77 ] || { cat "$tmp/obs.log" >&2; fail "the installed OBS filter fails in libobs"; }
  [ "$status" = 0 ] || echo "deb_package_test: the installed OBS filter is not run: $(tail -1 "$tmp/obs.log")"
fi

# The OpenFX bundle where hosts look, driven there by the build's OpenFX host test.
ofx_plugin=/usr/OFX/Plugins/Fyrel.ofx.bundle/Contents/Linux-x86-64/Fyrel.ofx
[ -f "$ofx_plugin" ] || fail "fyrel-ofx put no $ofx_plugin"
ofx_test="${1:-build}/tests/ofx/ofx_host_test"
if [ -x "$ofx_test" ]; then
  "$ofx_test" "$ofx_plugin" > "$tmp/ofx.log" 2>&1 || { tail -20 "$tmp/ofx.log" >&2; fail "the installed OpenFX plug-in fails its host test"; }
fi

[ "$(man -w fyrel)" = /usr/share/man/man1/fyrel.1.gz ] || fail "man finds no /usr/share/man/man1/fyrel.1.gz"
MANWIDTH=80 MANPAGER=cat man fyrel 2> "$tmp/man.err" > "$tmp/man.txt"
grep -q -- '--fire-direction' "$tmp/man.txt" && [ ! -s "$tmp/man.err" ] ||
  { cat "$tmp/man.err" >&2; fail "man fyrel shows no flags, or warns"; }

DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=120 fyrel fyrel-obs \
  fyrel-ofx > "$tmp/purge.log" 2>&1 || { cat "$tmp/purge.log" >&2; fail "apt-get purge failed"; }
snapshot > "$tmp/after"
diff "$tmp/before" "$tmp/after" >&2 || fail "the machine differs after the purge (above: < before, > after)"
echo "deb_package_test: $(basename -a "${debs[@]}" | tr '\n' ' ')installed, used and purged, nothing left behind"
