#!/bin/sh
# Installs a built tree into a temporary prefix and checks what lands there.
# Usage: check-install.sh BUILD_DIR [CMAKE]
set -eu
build=$1
# Staged with DESTDIR, so that what a /usr build installs at absolute paths (/etc) lands in the
# stage as well, never in the machine's own folders.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
prefix=$stage/opt/numira-check
DESTDIR=$stage "${2:-cmake}" --install "$build" --prefix /opt/numira-check >/dev/null
configured=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Every installed file stays under the prefix: no absolute destinations, but for the browsers'
# fixed folders under /etc in a build for /usr.
# (The manifest names the paths without the stage.)
grep -v "^/opt/numira-check/" "$build/install_manifest.txt" | while IFS= read -r path; do
    [ "$configured" = /usr ] && case $path in /etc/*) continue ;; esac
    echo "FAIL: installed outside the prefix: $path"
done | grep . && failures=$((failures + 1))

cd "$prefix"
id=org.numira.Numira
for path in \
    bin/numira \
    bin/numira-cli \
    libexec/numira/numira-quickadd-host \
    share/numira/numira.mdb \
    share/numira/NotConnected.htm \
    share/numira/comments.txt \
    share/numira/translations/numira_de.qm \
    share/numira/translations/numira_fr.qm \
    share/chromium/extensions/numira-quickadd/_locales/de/messages.json \
    share/numira/art/main.png \
    share/applications/$id.desktop \
    share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg \
    share/icons/hicolor/48x48/apps/$id.png \
    share/icons/hicolor/128x128/apps/$id.png \
    share/icons/hicolor/256x256/apps/$id.png \
    share/man/man1/numira.1.gz \
    share/man/man1/numira-cli.1.gz \
    share/doc/numira/copyright \
    share/doc/numira/changelog.Debian.gz \
    share/lintian/overrides/numira
do
    [ -f "$path" ] || fail "missing $path"
done
[ -x bin/numira ] || fail "bin/numira is not executable"
# The browser's plugin, in the program's own folder under the library folder (lib/numira, or
# lib/<multiarch>/numira in a build for /usr).
[ -f lib/numira/numira_webview.so ] || ls lib/*/numira/numira_webview.so >/dev/null 2>&1 ||
    fail "no lib/.../numira/numira_webview.so"
ls share/numira/skins/*.ini >/dev/null 2>&1 || fail "no skins under share/numira/skins"
for ini in share/numira/skins/*.ini; do
    [ ! -f "$ini" ] || [ -d "${ini%.ini}" ] || fail "skin $ini has no picture folder"
done

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
    set -- $(od -An -tu1 -j16 -N8 "$png" 2>/dev/null) 0 0 0 0 0 0 0 0
    width=$(( ($1 << 24) + ($2 << 16) + ($3 << 8) + $4 ))
    height=$(( ($5 << 24) + ($6 << 16) + ($7 << 8) + $8 ))
    [ "${width}x$height" = "${size}x$size" ] || fail "$png is ${width}x$height"
done

# gzip -9n: no stored name or time (flags byte 3 and the time in bytes 4-7 all zero).
for gz in share/man/man1/numira.1.gz share/doc/numira/changelog.Debian.gz; do
    [ "$(od -An -tu1 -j3 -N5 "$gz" 2>/dev/null | tr -s ' ')" = " 0 0 0 0 0" ] && gzip -t "$gz" ||
        fail "$gz is not a gzip file without a stored name or time"
done

# The desktop entry's lines, in the group they belong to.
group() {
    awk -v group="[$1]" '/^\[/ { inside = ($0 == group); next } inside && /=/' \
        "share/applications/$id.desktop" 2>/dev/null
}
for line in Type=Application Name=Numira Exec=numira Icon=$id Categories=Office\; \
    Actions=add-serial\;; do
    group "Desktop Entry" | grep -qxF "$line" || fail "desktop entry lacks '$line'"
done
group "Desktop Entry" | grep -q '^Keywords=.*;$' || fail "desktop entry lacks Keywords"
for line in "Name=Add Serial Number" "Exec=numira --add-serial="; do
    group "Desktop Action add-serial" | grep -qxF "$line" || fail "add-serial action lacks '$line'"
done

# The host manifests every user's browsers read (Chromium, Google Chrome through the package's
# link, Firefox) name the installed host; browsers read them only at the paths a /usr build
# gives them.
if [ "$configured" = /usr ]; then etc=$stage/etc; else etc=etc; fi
host=$configured/libexec/numira/numira-quickadd-host
for manifest in "$etc/chromium/native-messaging-hosts/org.numira.quickadd.json" \
    share/numira/chrome-native-messaging-hosts/org.numira.quickadd.json \
    lib/mozilla/native-messaging-hosts/org.numira.quickadd.json; do
    grep -qF "\"path\": \"$host\"" "$manifest" 2>/dev/null || fail "$manifest does not name $host"
done
grep -qF 'pref("extensions.startupScanScopes", 8);' "$etc/firefox-esr/numira-quickadd.js" 2>/dev/null ||
    fail "no Firefox preference file"

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s); installed files:"
    find . -type f | sort
    exit 1
fi
echo "install layout OK: $(find . -type f | wc -l) files"
