#!/usr/bin/env bash
# Builds and starts Pelanova. The first start prepares an empty database.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ ! -f build/bin/data/FBDB.db ]; then
    mkdir -p build/bin/data
    build/bin/pelanova-cli --db build/bin/data/FBDB.db init-db
fi
if [ -x build/bin/pelanova ]; then
    exec build/bin/pelanova "$@"
fi
build/bin/pelanova-cli --help || true
