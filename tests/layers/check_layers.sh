#!/usr/bin/env bash
# Fails when an #include crosses a layer upwards. Each folder may include only itself and the
# folders listed for it; app/ is the top and may include anything.
#   check_layers.sh SOURCE_ROOT
set -euo pipefail
root="${1:?source root}"
declare -A allowed=(
    [store]="store"
    [ui]="ui store"
    [skins]="skins ui store"
    [web]="web ui store"
    [about]="about ui store"
    [screens]="screens ui store"
    [host]="host web store"
    [cli]="cli store"
)
status=0
for folder in "${!allowed[@]}"; do
    [ -d "$root/$folder" ] || continue
    while IFS= read -r hit; do
        file="${hit%%:*}"
        target="$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$hit")"
        if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
            echo "layer violation: ${file#"$root"/} includes $target/ (allowed: ${allowed[$folder]})"
            status=1
        fi
    done < <(grep -HnE '^\s*#\s*include\s+"[^/"]+/' -r "$root/$folder" --include='*.h' --include='*.cpp' || true)
done
[ "$status" -eq 0 ] && echo "layers: every include points down"
exit "$status"
