#!/usr/bin/env bash
# Builds and starts Pelanova. The first start prepares an empty database and the
# bank master of kanji bank names (scripts/bank-master.sh), or goes on without it
# when the npm registry cannot be reached.
#   scripts/run.sh --demo   starts it on the demo folder build/demo/ instead (its own
#                           settings file and database, made at its first start)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ ! -f build/bin/data/銀行マスタ.db ]; then
    if scripts/bank-master.sh >build/bank-master.log 2>&1; then
        tail -n 1 build/bank-master.log
    else
        echo "run: no bank master (npm registry not reached?): bank names stay in kana; scripts/bank-master.sh tries again"
    fi
fi
if [ "${1:-}" = --demo ]; then
    shift
    if [ ! -f build/demo/data/FBDB.db ]; then
        build/bin/pelanova-cli --db build/demo/data/FBDB.db --ini build/demo/pelanova.ini \
            demo --bank-master build/bin/data/銀行マスタ.db
    fi
    exec build/bin/pelanova --folder build/demo "$@"
fi
if [ ! -f build/bin/data/FBDB.db ]; then
    mkdir -p build/bin/data
    build/bin/pelanova-cli --db build/bin/data/FBDB.db init-db
fi
if [ -x build/bin/pelanova ]; then
    exec build/bin/pelanova "$@"
fi
build/bin/pelanova-cli --help || true
