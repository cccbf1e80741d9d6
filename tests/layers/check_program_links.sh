#!/bin/sh
# Fails when the program needs the web engine's libraries (or Qt Quick, which only the engine
# wants) at its start, by any way round: they belong to the browser's plugin, which the program
# loads once its window is shown. The plugin must need them, or the check sees no libraries.
#   check_program_links.sh PROGRAM PLUGIN
set -eu
program=$1
plugin=$2
engine='libQt6(WebEngine[A-Za-z]*|Quick)\.so'
status=0
if ! program_libraries=$(ldd "$program"); then
    echo "cannot list the libraries of $program"
    exit 1
fi
if linked=$(printf '%s\n' "$program_libraries" | grep -E "$engine"); then
    echo "$program needs the web engine at its start:"
    printf '%s\n' "$linked"
    status=1
fi
if ! ldd "$plugin" | grep -q 'libQt6WebEngineWidgets\.so'; then
    echo "$plugin does not need libQt6WebEngineWidgets: the check cannot see the libraries"
    status=1
fi
[ "$status" -eq 0 ] && echo "$(basename "$program") starts without the web engine; its plugin brings it"
exit "$status"
