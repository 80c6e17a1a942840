#!/usr/bin/env bash
# Builds and starts Pelanova. Its data lives in the user's folders, never in
# build/: the database in ${XDG_DATA_HOME:-~/.local/share}/pelanova/data/FBDB.db
# (the program prepares an empty one on its first start) and the settings in
# ${XDG_CONFIG_HOME:-~/.config}/pelanova/pelanova.ini. Beside the database goes
# the bank master of kanji bank and branch names (scripts/bank-master.sh), or
# the program goes on without it when the npm registry cannot be reached.
#   scripts/run.sh --demo   starts it on the demo folder build/demo/ instead (its own
#                           settings file and database, made at its first start)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

# Earlier versions kept the data in build/bin, where a clean build deletes it.
scripts/move-old-data.sh build/bin
. scripts/user-folders.sh
data_dir="$data_home/pelanova/data"

bank_master="$data_dir/銀行マスタ.db"
if [ ! -f "$bank_master" ]; then
    if scripts/bank-master.sh "$bank_master" >build/bank-master.log 2>&1; then
        tail -n 1 build/bank-master.log
    else
        echo "run: no bank master (npm registry not reached?): bank names stay in kana; scripts/bank-master.sh tries again"
    fi
fi

if [ "${1:-}" = --demo ]; then
    shift
    if [ ! -f build/demo/data/FBDB.db ]; then
        build/bin/pelanova-cli --db build/demo/data/FBDB.db --ini build/demo/pelanova.ini \
            demo --bank-master "$bank_master"
    fi
    exec build/bin/pelanova --folder build/demo "$@"
fi

echo "データの場所: $data_dir（設定: $config_home/pelanova/pelanova.ini）"
exec build/bin/pelanova "$@"
