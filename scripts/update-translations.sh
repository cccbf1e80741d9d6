#!/usr/bin/env bash
# Brings the translation sources (i18n/numira_*.ts) up to date with the texts of the code: new
# texts are added unfinished for a translator, texts no longer in the code are dropped. Run it
# after adding or changing a tr() text, then translate what Linguist shows as unfinished.
#   scripts/update-translations.sh [FOLDER]   (FOLDER holds the .ts files; i18n/ by default)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:-$root/i18n}"
lupdate="$(command -v lupdate || true)"
[ -n "$lupdate" ] || lupdate=/usr/lib/qt6/bin/lupdate
[ -x "$lupdate" ] || { echo "lupdate not found: install qt6-l10n-tools (scripts/install-deps.sh)" >&2; exit 1; }

# The folders whose texts a user reads; i18n/CMakeLists.txt lists the same.
cd "$root"
"$lupdate" -silent -no-obsolete -locations none -extensions cpp,h -I . \
    app about ui screens skins web store cli host \
    -ts "$folder"/numira_*.ts
