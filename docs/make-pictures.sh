#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Remakes the README's pictures with the fyrel program (and ImageMagick for the strip):
#   docs/fire.gif        `fyrel render` on its built-in source, frames 1-50, as the tool encodes it
#   docs/fire-strip.png  frames 15, 40, 65 and 90 of the same render, on a dark ground
#   docs/preview.png     frame 60 of `fyrel preview` at the viewer's size
#   docs/obs-filter.png  frame 60 of the OBS filter in libobs, made by its test under xvfb-run
#   docs/presets.png     frame 60 of every preset on the built-in source (fyrel_preset_sheet)
# Usage: docs/make-pictures.sh [path/to/fyrel]   (default build/cli/fyrel)
set -euo pipefail
cd "$(dirname "$0")/.."
fyrel=${1:-build/cli/fyrel}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$fyrel" render --frames 50 --out "$work/gif" --video docs/fire.gif --quiet
"$fyrel" render --frames 100 --out "$work/render" --quiet
montage "$work"/render/frame_00{15,40,65,90}.png -tile 2x2 -geometry +2+2 \
  -background '#181818' "$work/strip.png"
convert "$work/strip.png" -background '#181818' -flatten -strip docs/fire-strip.png
"$fyrel" preview --frames 60 --out "$work/preview" --quiet
cp "$work/preview/frame_0060.png" docs/preview.png
FYREL_OBS_SCREENSHOT=docs/obs-filter.png xvfb-run -a -s "-screen 0 640x480x24" \
  "$(dirname "$fyrel")/../tests/obs/obs_filter_test" --gtest_filter=ObsFilter.Screenshot > /dev/null
"$(dirname "$fyrel")/commands/fyrel_preset_sheet" docs/presets.png
ls -l docs/fire.gif docs/fire-strip.png docs/preview.png docs/obs-filter.png docs/presets.png
