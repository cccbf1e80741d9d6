#!/bin/sh
# The newest release in the metainfo and the top entry of the Debian changelog both name the
# version being built. Usage: check-release.sh VERSION-REVISION METAINFO CHANGELOG
set -eu
expected=$1
version=${expected%-*}
status=0

release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$2" | head -n 1)
if [ "$release" != "$version" ]; then
    echo "metainfo: newest release is '$release', the project is $version"
    status=1
fi

entry=$(sed -n '1s/^numira (\([^)]*\)) .*/\1/p' "$3")
if [ "$entry" != "$expected" ]; then
    echo "Debian changelog: top entry is '$entry', the package is $expected"
    status=1
fi
exit $status
