#!/usr/bin/env bash
# Renders packaging/ladder51.svg into the PNG sizes the package installs (packaging/icons/).
# Needs rsvg-convert (Debian package librsvg2-bin); run it after changing the SVG and commit
# the pictures, so that building the package needs no image tools.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p icons
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" ladder51.svg --output "icons/ladder51-$size.png"
done
