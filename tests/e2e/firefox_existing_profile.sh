#!/bin/sh
# By hand, as root, on a machine where Numira's package is not installed: a Firefox profile
# made before the install finds the add-on at its first start after the install, thanks to the
# package's /etc/firefox-esr/numira-quickadd.js; without that file it does not (the fault the
# file fixes). Removes the package again at the end.
# Usage: firefox_existing_profile.sh path/to/numira_VERSION_ARCH.deb
set -eu
deb=$(realpath "$1")
check="python3 $(dirname "$0")/firefox_quickadd.py --system-addon"
prefs=/etc/firefox-esr/numira-quickadd.js
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME" "$work/with" "$work/without"

if dpkg-query -W -f='${Status}' numira 2>/dev/null | grep -q "ok installed"; then
    echo "Numira's package is installed already: remove it first" >&2
    exit 2
fi
echo "before the install, profile 'with':    $($check "$work/with")"
echo "before the install, profile 'without': $($check "$work/without")"

dpkg -i "$deb" >/dev/null
mv "$prefs" "$work/prefs.js"
echo "first start after the install, without $prefs: $($check "$work/without")"
mv "$work/prefs.js" "$prefs"
echo "first start after the install, with $prefs:    $($check "$work/with")"

dpkg -P numira >/dev/null
echo "after purging the package:                     $($check "$work/with")"
