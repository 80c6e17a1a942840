#!/usr/bin/env bash
# Runs a command beside a PostgreSQL server of its own: installs postgresql-15,
# makes a throw-away cluster in a temporary folder (initdb as the unprivileged
# postgres user when run as root, which initdb refuses), starts it on a Unix
# socket in that folder with no TCP port, makes the database the tests work in
# (its collation Japanese, so that an order that depends on the server's
# locale shows), and runs the command with PELANOVA_TEST_POSTGRES naming that
# database in libpq's form. The server is stopped and its folder removed on
# every way out.
#
# usage: scripts/with-postgres.sh COMMAND [ARGUMENT...]
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || { echo "usage: scripts/with-postgres.sh COMMAND [ARGUMENT...]" >&2; exit 2; }

scripts/install-deps.sh postgresql-15 >/dev/null
readonly bin=/usr/lib/postgresql/15/bin
folder="$(mktemp -d "${TMPDIR:-/tmp}/pelanova-pg.XXXXXX")"
as_server=()
if [ "$(id -u)" -eq 0 ]; then
    chown postgres "$folder"
    as_server=(runuser -u postgres --)
fi
stop() {
    "${as_server[@]}" "$bin/pg_ctl" -D "$folder/cluster" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$folder"
}
trap stop EXIT
trap 'exit 130' INT TERM

"${as_server[@]}" "$bin/initdb" -D "$folder/cluster" -E UTF8 --locale=C.UTF-8 -A trust -U postgres >/dev/null
"${as_server[@]}" "$bin/pg_ctl" -D "$folder/cluster" -l "$folder/server.log" -w \
    -o "-k $folder -c listen_addresses='' -c fsync=off -c max_connections=60" start >/dev/null
"$bin/psql" -h "$folder" -U postgres -d postgres -q -v ON_ERROR_STOP=1 \
    -c "CREATE DATABASE pelanova_test TEMPLATE template0 ENCODING 'UTF8' LOCALE_PROVIDER icu ICU_LOCALE 'ja-JP' LOCALE 'C.UTF-8'"

export PELANOVA_TEST_POSTGRES="host=$folder user=postgres dbname=pelanova_test"
echo "with-postgres: PostgreSQL 15 on $folder (no TCP port), database pelanova_test"
"$@"
