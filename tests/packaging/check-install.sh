#!/bin/sh
# Installs a built tree into a temporary prefix and checks what lands there.
# Usage: check-install.sh BUILD_DIR [CMAKE]
set -eu
build=$1
cmake=${2:-cmake}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Every installed file stays under the prefix: no absolute destinations.
while IFS= read -r path; do
    case $path in
        "$prefix"/*) ;;
        *) fail "installed outside the prefix: $path" ;;
    esac
done < "$build/install_manifest.txt"

cd "$prefix"
id=org.numira.Numira
for path in \
    bin/numira \
    share/numira/numira.mdb \
    share/numira/NotConnected.htm \
    share/numira/NumiraRun.htm \
    share/numira/comments.txt \
    share/numira/art/main.png \
    share/applications/$id.desktop \
    share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg \
    share/icons/hicolor/48x48/apps/$id.png \
    share/icons/hicolor/128x128/apps/$id.png \
    share/icons/hicolor/256x256/apps/$id.png \
    share/man/man1/numira.1.gz \
    share/doc/numira/copyright \
    share/doc/numira/changelog.Debian.gz \
    share/lintian/overrides/numira
do
    [ -f "$path" ] || fail "missing $path"
done
[ -x bin/numira ] || fail "bin/numira is not executable"

# Each skin is an .ini with a folder of pictures of the same name.
skins=0
for ini in share/numira/skins/*.ini; do
    [ -f "$ini" ] || continue
    skins=$((skins + 1))
    [ -d "${ini%.ini}" ] || fail "skin $ini has no picture folder"
done
[ "$skins" -gt 0 ] || fail "no skins under share/numira/skins"

# The shipped database is the empty schema, never a database someone has used.
mdb=share/numira/numira.mdb
tables=$(sqlite3 "$mdb" "SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master
    WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name)" 2>&1) \
    || fail "numira.mdb is not an SQLite database: $tables"
# The two tables, and the search index with the tables FTS5 keeps for it.
expected="programs serials serials_search serials_search_config serials_search_data"
expected="$expected serials_search_idx"
[ "$tables" = "$expected" ] || fail "numira.mdb tables are '$tables'"
rows=$(sqlite3 "$mdb" "SELECT (SELECT count(*) FROM programs) + (SELECT count(*) FROM serials)" \
    2>/dev/null || echo "?")
[ "$rows" = 0 ] || fail "numira.mdb holds records: $rows"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 48 128 256; do
    png=share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$png" ] || continue
    set -- $(od -An -tu1 -j16 -N8 "$png")
    width=$(( ($1 << 24) + ($2 << 16) + ($3 << 8) + $4 ))
    height=$(( ($5 << 24) + ($6 << 16) + ($7 << 8) + $8 ))
    [ "$width" = "$size" ] && [ "$height" = "$size" ] \
        || fail "$png is ${width}x${height}"
done

# gzip -9n: no stored name or time (flags byte 3 and the time in bytes 4-7 all zero).
for gz in share/man/man1/numira.1.gz share/doc/numira/changelog.Debian.gz; do
    [ -f "$gz" ] || continue
    gzip -t "$gz" || fail "$gz is not a gzip file"
    header=$(od -An -tu1 -j3 -N5 "$gz" | tr -s ' ')
    [ "$header" = " 0 0 0 0 0" ] || fail "$gz stores a name or a time:$header"
done
if [ -f share/man/man1/numira.1.gz ]; then
    gzip -dc share/man/man1/numira.1.gz | grep -q '^\.TH NUMIRA 1 ' \
        || fail "numira.1.gz is not the numira(1) manual"
fi

# The keys of one group of the desktop entry, one "key=value" a line.
group() {
    awk -v group="[$1]" '/^\[/ { inside = ($0 == group); next } inside && /=/' \
        "share/applications/$id.desktop"
}
if [ -f share/applications/$id.desktop ]; then
    entry=$(group "Desktop Entry")
    action=$(group "Desktop Action add-serial")
    for line in Type=Application Name=Numira Exec=numira Icon=$id Categories=Office\; \
        Actions=add-serial\;; do
        printf '%s\n' "$entry" | grep -qxF "$line" || fail "desktop entry lacks '$line'"
    done
    printf '%s\n' "$entry" | grep -q '^GenericName=.' || fail "desktop entry lacks GenericName"
    printf '%s\n' "$entry" | grep -q '^Keywords=.*;$' || fail "desktop entry lacks Keywords"
    for line in "Name=Add Serial Number" "Exec=numira --add-serial="; do
        printf '%s\n' "$action" | grep -qxF "$line" || fail "add-serial action lacks '$line'"
    done
fi

# The metainfo names the files installed beside it.
metainfo=share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
    for text in \
        '<component type="desktop-application">' \
        "<id>$id</id>" \
        '<metadata_license>CC0-1.0</metadata_license>' \
        '<project_license>MIT</project_license>' \
        "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
        '<url type="homepage">https://numira.org</url>' \
        '<binary>numira</binary>' \
        '<screenshot type="default">' \
        '<content_rating type="oars-1.1"/>'
    do
        grep -qF "$text" "$metainfo" || fail "metainfo lacks $text"
    done
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s); installed files:"
    find . -type f | sort
    exit 1
fi
echo "install layout OK: $(find . -type f | wc -l) files"
