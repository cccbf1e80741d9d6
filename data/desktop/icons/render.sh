#!/usr/bin/env bash
# Renders the committed PNG icons from the scalable one. Run it after changing the SVG and commit
# the PNGs with it; the build installs the committed files and does not need rsvg-convert.
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert --width "$size" --height "$size" org.numira.Numira.svg \
        --output "${size}x${size}/org.numira.Numira.png"
done
