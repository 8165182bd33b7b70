#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Grabs the X screen while the Options viewer is open and keeps the viewer's part of it:
#   viewer_screenshot.sh <viewer_screenshot.exe> <output-directory>
# with $FYREL_WINE naming wine's loader for the program's machine type.
# The picture is <output-directory>/viewer.png.
set -u
program=$1 dir=$2
mkdir -p "$dir"
rm -f "$dir/viewer-open.txt" "$dir/viewer-grabbed" "$dir/viewer.png"

"$FYREL_WINE" "$program" "$dir" &
pid=$!

waited=0
while [ ! -s "$dir/viewer-open.txt" ] && [ $waited -lt 600 ]; do
  sleep 0.1
  waited=$((waited + 1))
done
status=0
if [ -s "$dir/viewer-open.txt" ]; then
  read -r width height left top < "$dir/viewer-open.txt"
  sleep 0.3  # let the last paints reach the display
  import -window root -crop "${width}x${height}+${left}+${top}" +repage "$dir/viewer.png" || status=1
else
  echo "the viewer did not open"
  status=1
fi
touch "$dir/viewer-grabbed"
wait $pid || status=1

if [ $status -eq 0 ] && [ -s "$dir/viewer.png" ]; then
  echo "screenshot: $dir/viewer.png ($(identify -format '%wx%h' "$dir/viewer.png"))"
else
  status=1
fi
exit $status
