#!/bin/sh
# Formats the manual the way lintian does and fails on any groff or man warning.
set -eu
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    printf '%s\n' "$warnings"
    exit 1
fi
