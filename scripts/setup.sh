#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, only those missing.
set -euo pipefail

packages=(g++ cmake make qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev libgtest-dev
    fonts-dejavu-core clang-format locales poppler-utils desktop-file-utils appstream man-db
    libeigen3-dev libxcb1-dev pkg-config
    xvfb xauth xdotool x11-utils openbox)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installation des paquets manquants : ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A locale with a decimal comma, so that the tests can show that number text ignores it.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR.utf8$'; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo sed -i 's/^# *fr_FR.UTF-8 UTF-8/fr_FR.UTF-8 UTF-8/' /etc/locale.gen
    $sudo locale-gen >/dev/null
fi
