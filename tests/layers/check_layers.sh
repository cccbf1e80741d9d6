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
# Within app/ no class includes one that includes it back, however long the way round: the
# main window owns the other classes, and they reach it only through what it hands them.
edges="$(grep -HoE '^\s*#\s*include\s+"app/[A-Za-z]+\.h"' "$root"/app/*.h "$root"/app/*.cpp |
    sed -E 's|^.*/([A-Za-z]+)\.[a-z]+:.*"app/([A-Za-z]+)\.h"$|\1 \2|' | awk '$1 != $2' || true)"
if ! loop="$(tsort <<<"$edges" 2>&1 >/dev/null)"; then
    echo "include loop in app/:"
    awk '/input contains a loop/ { if (line) print line; line = "   "; next }
         { sub(/^tsort: /, ""); line = line " " $0 } END { if (line) print line }' <<<"$loop"
    status=1
fi
[ "$status" -eq 0 ] && echo "layers: every include points down, and app/ has no include loop"
exit "$status"
