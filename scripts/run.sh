#!/usr/bin/env bash
# Builds and starts Pelanova. Its data lives in the user's folders, never in
# build/: the database in ${XDG_DATA_HOME:-~/.local/share}/pelanova/data/FBDB.db
# (the program prepares an empty one on its first start) and the settings in
# ${XDG_CONFIG_HOME:-~/.config}/pelanova/pelanova.ini.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

# Earlier versions kept the data in build/bin, where a clean build deletes it.
scripts/move-old-data.sh build/bin
data_home="${XDG_DATA_HOME:-}"
[ "${data_home#/}" != "$data_home" ] || data_home="$HOME/.local/share"
config_home="${XDG_CONFIG_HOME:-}"
[ "${config_home#/}" != "$config_home" ] || config_home="$HOME/.config"

if [ -x build/bin/pelanova ]; then
    echo "データの場所: $data_home/pelanova/data（設定: $config_home/pelanova/pelanova.ini）"
    exec build/bin/pelanova "$@"
fi
build/bin/pelanova-cli --help || true
