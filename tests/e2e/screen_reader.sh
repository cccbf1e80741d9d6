#!/usr/bin/env bash
# Runs screen_reader.py on an X display (Xvfb) and a D-Bus session of its own, on which the
# AT-SPI accessibility bus starts when it is first asked for: nothing reaches the caller's
# desktop or its screen reader.
#   screen_reader.sh NUMIRA_EXECUTABLE NUMIRA_MKDB SCHEMA
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
numira="$(realpath "${1:?numira executable}")"
mkdb="$(realpath "${2:?numira_mkdb}")"
schema="$(realpath "${3:?schema}")"
# Debian's own interpreter, which has pyatspi; another python3 may come first on PATH.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
export QT_QPA_PLATFORM=xcb
# The accessibility bus puts its socket in the runtime folder (or the home's cache): a folder
# of this run's own keeps two runs at once, or a desktop's bus, from taking each other's.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/run" "$scratch/home"
export XDG_RUNTIME_DIR="$scratch/run" HOME="$scratch/home"
dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24" \
    "$python" "$here/screen_reader.py" "$numira" "$mkdb" "$schema"
