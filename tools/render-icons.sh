#!/bin/sh
# Renders the hicolor PNG icons from packaging/icons/app.parley.Parley.svg
# (rsvg-convert from librsvg2-bin). Run after changing the SVG; the PNGs are
# committed.
set -eu
icons=$(dirname "$0")/../packaging/icons
for size in 16 22 24 32 48 64 128 256 512; do
    mkdir -p "$icons/hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$icons/app.parley.Parley.svg" \
        -o "$icons/hicolor/${size}x${size}/apps/app.parley.Parley.png"
done
