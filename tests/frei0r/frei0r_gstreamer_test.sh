#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# fyrel.so inside GStreamer, through its frei0r wrapper (frei0r-filter-fyrel): a moving test
# source filtered by gst-launch-1.0 gives, byte for byte, the effect's own frames through the
# host of our own (frei0r_reference), with the defaults and with every kind of property set.
#   frei0r_gstreamer_test.sh GST_LAUNCH FREI0R_DIR FREI0R_REFERENCE
set -euo pipefail
gst="$1" frei0r_dir="$2" reference="$3"
[ -n "$gst" ] || { echo "gst-launch-1.0 not found at configure time"; exit 77; }
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
export FREI0R_PATH="$frei0r_dir" GST_REGISTRY="$tmp/registry.bin"
"$(dirname "$gst")/gst-inspect-1.0" frei0r-filter-fyrel > /dev/null 2>&1 ||
  { echo "GStreamer has no frei0r-filter-fyrel (gstreamer1.0-plugins-bad holds the wrapper)"; exit 77; }

status=0
# check "PROPERTIES" [SETTING ...]: the element's properties, then the same settings as the
# effect keeps them (NAME=VALUE, colours 0xRRGGBB, the direction in 16.16 degrees).
check() {
  local properties="$1"; shift
  # shellcheck disable=SC2086 # the properties are a word list
  "$gst" -q videotestsrc pattern=ball num-buffers=8 \
    ! video/x-raw,format=RGBA,width=64,height=48,framerate=25/1 ! tee name=t \
    ! queue ! filesink location="$tmp/source.rgba" \
    t. ! queue ! frei0r-filter-fyrel $properties ! filesink location="$tmp/gstreamer.rgba"
  "$reference" 64 48 8 "$tmp/source.rgba" "$tmp/reference.rgba" "$@"
  if ! cmp "$tmp/gstreamer.rgba" "$tmp/reference.rgba" ||
     [ "$(tr -d '\0' < "$tmp/reference.rgba" | head -c 1 | wc -c)" != 1 ]; then
    echo "frei0r-filter-fyrel $properties: not the effect's frames (or no fire)"; status=1
  fi
}
check ""
check "velocity=1 height=0.0784313725490196 custom-color=true color-1-r=1 color-1-g=0 \
       color-1-b=0 color-3-position=0.2 fire-direction=0.125 birth=false invert-source=false" \
  Velocity=100 Height=20 "Custom Color=1" "Color 1=0xFF0000" "Color 3 Position=51" \
  "Fire Direction=2949120" Birth=0 "Invert Source=0"
exit "$status"
