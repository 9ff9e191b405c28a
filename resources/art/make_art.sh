#!/usr/bin/env bash
# Redraws the icons and the About picture into resources/. Needs python3 and
# ImageMagick; the outputs are committed, so building Tarnex needs neither.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$here/..
python3 "$here/draw_art.py" "$out"
# A baseline JFIF, as the About box's picture decoder expects.
/usr/bin/convert "$out/about.ppm" -strip -interlace none -sampling-factor 2x2 -quality 92 "JPEG:$out/about.jpg"
rm -f "$out/about.ppm" "$out/icons-preview.png"
