#!/usr/bin/env bash
# scripts/move-old-data.sh: the data earlier versions kept beside the program
# goes to the user's folders once, and never over data that is there.
set -euo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/move-old-data.sh"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0
check() { # check DESCRIPTION COMMAND...
    local what="$1"; shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
run() { env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$tmp/home" "$@" >"$tmp/out" 2>&1; }

# 1. An old database and settings file: moved, the folder beside the program gone.
mkdir -p "$tmp/bin/data/backup" "$tmp/home"
echo old-db >"$tmp/bin/data/FBDB.db"
echo old-backup >"$tmp/bin/data/backup/FBDB-20261201-090000.db"
echo old-ini >"$tmp/bin/pelanova.ini"
run "$script" "$tmp/bin"
share="$tmp/home/.local/share/pelanova/data"
check "database moved" grep -qx old-db "$share/FBDB.db"
check "its backups moved" grep -qx old-backup "$share/backup/FBDB-20261201-090000.db"
check "settings moved" grep -qx old-ini "$tmp/home/.config/pelanova/pelanova.ini"
check "no data folder beside the program" test ! -e "$tmp/bin/data"
check "said so" grep -q "データベースを移動しました" "$tmp/out"

# 2. Once: a second run finds nothing to do.
run "$script" "$tmp/bin"
check "second run quiet" test ! -s "$tmp/out"
check "database still there" grep -qx old-db "$share/FBDB.db"

# 3. A new old database with data already in place: nothing overwritten, the old kept aside.
mkdir -p "$tmp/bin/data"
echo older-db >"$tmp/bin/data/FBDB.db"
echo older-ini >"$tmp/bin/pelanova.ini"
run "$script" "$tmp/bin"
check "target database kept" grep -qx old-db "$share/FBDB.db"
check "target settings kept" grep -qx old-ini "$tmp/home/.config/pelanova/pelanova.ini"
check "old database kept aside" grep -qx older-db "$tmp"/bin/data.old-*/FBDB.db
check "no data folder beside the program" test ! -e "$tmp/bin/data"
check "said so" grep -q "移動していません" "$tmp/out"

# 4. XDG folders named: used; a relative one is ignored as the program ignores it.
mkdir -p "$tmp/bin2/data"
echo xdg-db >"$tmp/bin2/data/FBDB.db"
env HOME="$tmp/home2" XDG_DATA_HOME="$tmp/xdg-data" XDG_CONFIG_HOME=relative "$script" "$tmp/bin2" >/dev/null
check "moved into XDG_DATA_HOME" grep -qx xdg-db "$tmp/xdg-data/pelanova/data/FBDB.db"

[ "$failures" -eq 0 ]
