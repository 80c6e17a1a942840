#!/usr/bin/env bash
# Builds and runs every test (UI tests on the offscreen platform) on SQLite and
# again on a PostgreSQL server of the tests' own (scripts/with-postgres.sh), then prints
# through a real print queue, a CUPS daemon of the test's own
# (scripts/test-print-queue.sh, which skips, saying why, where CUPS cannot start).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
started=$SECONDS
scripts/with-postgres.sh ctest --test-dir build --output-on-failure -j"$(nproc)"
echo "test: the PostgreSQL pass took $((SECONDS - started)) s"
scripts/test-print-queue.sh
