#!/usr/bin/env bash
# Installs the Debian packages Numira needs to build, run and test, when any is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-webengine-dev qt6-declarative-dev libssl-dev qtkeychain-qt6-dev
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    gnome-keyring dbus
    at-spi2-core python3-pyatspi
    sqlite3
    xvfb xauth xclip fonts-dejavu-core xdotool
    desktop-file-utils appstream man-db librsvg2-bin dpkg-dev lintian
    chromium firefox-esr python3
    libqt6sql6-psql postgresql
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
