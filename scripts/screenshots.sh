#!/usr/bin/env bash
# Starts Numira under Xvfb and saves pictures of what a user sees: the real program's main
# window, then a walk through every screen (the edit screen with its Copy button, its details
# dialog, the Expiring Licences list and the lists' expiry marks), the About window, the popup
# menu and the window of a protected database once it locked, once with
# the designed look and once with each sample skin. Settings and database are temporary.
# The texts are in the language the environment asks for (LANG, LANGUAGE, ...), or in the one
# named as LOCALE (de_DE.UTF-8, fr_FR.UTF-8).
#   scripts/screenshots.sh [OUTPUT_FOLDER] [LOCALE]   (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/screenshots}")"
if [ -n "${2:-}" ]; then
    unset LANGUAGE LC_ALL LC_MESSAGES
    export LANG="$2"
fi
mkdir -p "$out"
cmake -S . -B build -G Ninja > /dev/null
cmake --build build --target numira numira_tour numira_database numira_program_files > /dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"

tour() {
    xvfb-run -a -s "-screen 0 800x600x24" ./build/tools/numira_tour "$out" "$@"
}

# The real program, as a user starts it.
xvfb-run -a -s "-screen 0 800x600x24" sh -c \
    './build/bin/numira & pid=$!; sleep 6; ./build/tools/numira_tour --grab "$0"; kill $pid' \
    "$out/program.png"

tour ""
for skin in build/bin/skins/*.ini; do
    [ -e "$skin" ] || continue
    name="$(basename "$skin" .ini)"
    mkdir -p "$XDG_CONFIG_HOME/Numira"
    printf '[Info]\nSkinInUse=%s\n' "$(realpath "$skin")" > "$XDG_CONFIG_HOME/Numira/Numira.conf"
    tour "skin-$name-"
done
echo "Screenshots are in $out"
