#!/bin/sh
# Makes the Debian package of a build configured for /usr and checks what the browsers need is
# in it (the extension, the host and its manifests at the paths each browser reads, the
# conffiles and the link script for Google Chrome), then runs lintian on it.
# Usage: check-deb.sh BUILD_DIR [CPACK]
set -eu
build=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && "${2:-cpack}" -G DEB -B "$out" >"$out/cpack.log" 2>&1) || {
    cat "$out/cpack.log"
    exit 1
}
deb=$(ls "$out"/*.deb)

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$out/files"
firefox_addon='/usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/quickadd@numira.org'
for path in \
    /usr/libexec/numira/numira-quickadd-host \
    /usr/share/chromium/extensions/numira-quickadd/manifest.json \
    "$firefox_addon/manifest.json" \
    /etc/chromium/native-messaging-hosts/org.numira.quickadd.json \
    /usr/lib/mozilla/native-messaging-hosts/org.numira.quickadd.json \
    /usr/share/numira/chrome-native-messaging-hosts/org.numira.quickadd.json \
    /etc/firefox-esr/numira-quickadd.js
do
    grep -qxF "$path" "$out/files" || fail "the package lacks $path"
done
grep -q '^/etc/opt' "$out/files" && fail "the package ships files under /etc/opt"
grep -qE '^/usr/lib/[^/]+/numira/numira_webview\.so$' "$out/files" ||
    fail "the package lacks the browser's plugin under /usr/lib/<multiarch>/numira"

mkdir "$out/control"
dpkg-deb -e "$deb" "$out/control"
for path in /etc/chromium/native-messaging-hosts/org.numira.quickadd.json \
    /etc/firefox-esr/numira-quickadd.js; do
    grep -qxF "$path" "$out/control/conffiles" 2>/dev/null || fail "$path is not a conffile"
done
# Team databases need Qt's PostgreSQL driver, which nothing links against.
grep -q '^Recommends:.*libqt6sql6-psql' "$out/control/control" ||
    fail "the package does not recommend libqt6sql6-psql"
for script in postinst postrm; do
    grep -q "/etc/opt/chrome/native-messaging-hosts" "$out/control/$script" 2>/dev/null ||
        fail "no $script for Google Chrome's link"
done

# Errors and warnings fail the check (the package carries its own overrides).
lintian --fail-on error,warning "$deb" || fail "lintian"

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "Debian package OK: $(basename "$deb"), $(wc -l <"$out/files") entries"
