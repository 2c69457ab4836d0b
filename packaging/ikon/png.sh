#!/usr/bin/env bash
# Renders the PNG sizes of the icon from its SVG (needs rsvg-convert: apt-get install librsvg2-bin).
# The PNGs are kept in the repository, so a build needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for n in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$n" -h "$n" hu.pelikor.dorvprg.svg -o "hu.pelikor.dorvprg-$n.png"
done
