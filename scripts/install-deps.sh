#!/usr/bin/env bash
# Installs what the build, the application and the tests need (Debian 12).
set -euo pipefail
packages=(cmake g++ pkg-config qt6-base-dev libsqlite3-dev libgtest-dev libgmock-dev
          fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n poppler-utils xvfb xauth)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
