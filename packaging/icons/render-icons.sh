#!/usr/bin/env bash
# Renders the PNG sizes of the program icon from kelmora.svg (needs rsvg-convert, Debian
# package librsvg2-bin). The PNG files are kept in the repository, so building the package
# needs no SVG renderer; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" kelmora.svg -o "kelmora-$size.png"
done
