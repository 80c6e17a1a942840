#!/usr/bin/env bash
# Moves the database and settings that earlier versions kept beside the program
# (PROGRAM_DIR/data/FBDB.db and PROGRAM_DIR/pelanova.ini, where a clean build
# deletes them) to the user's folders the program now uses:
# ${XDG_DATA_HOME:-~/.local/share}/pelanova/data and ${XDG_CONFIG_HOME:-~/.config}/pelanova.
# Once, and never over data already there: what is not moved stays in
# PROGRAM_DIR/data.old-<time>, so that the folder no longer makes a portable copy.
#
# usage: scripts/move-old-data.sh PROGRAM_DIR
set -euo pipefail
bin="${1:?usage: move-old-data.sh PROGRAM_DIR}"
old="$bin/data"
[ -d "$old" ] || exit 0

. "$(dirname "$0")/user-folders.sh"
data_dir="$data_home/pelanova/data"
config_dir="$config_home/pelanova"

if [ -f "$old/FBDB.db" ] && [ ! -e "$data_dir/FBDB.db" ]; then
    mkdir -p "$data_dir"
    mv "$old/FBDB.db" "$data_dir/FBDB.db"
    [ ! -d "$old/backup" ] || [ -e "$data_dir/backup" ] || mv "$old/backup" "$data_dir/backup"
    echo "データベースを移動しました: $old/FBDB.db → $data_dir/FBDB.db"
elif [ -f "$old/FBDB.db" ]; then
    echo "$data_dir/FBDB.db がすでにあるため、$old/FBDB.db は移動していません。"
fi
if [ -f "$bin/pelanova.ini" ] && [ ! -e "$config_dir/pelanova.ini" ]; then
    mkdir -p "$config_dir"
    mv "$bin/pelanova.ini" "$config_dir/pelanova.ini"
    echo "設定ファイルを移動しました: $bin/pelanova.ini → $config_dir/pelanova.ini"
fi
if [ -n "$(ls -A "$old")" ]; then
    kept="$bin/data.old-$(date +%Y%m%d-%H%M%S)"
    mv "$old" "$kept"
    echo "移動しなかった古いデータは $kept に残しています。"
else
    rmdir "$old"
fi
