#!/usr/bin/env bash
# Builds the bank master 銀行マスタ.db from the newest release of the public list
# of Japanese bank and branch codes, the npm package zengin-code (MIT licence),
# fetched with npm (Debian's, installed here when there is no npm at all). The
# program finds it beside its database when the settings name no bank master.
# The unpacked package is kept in build/zengin-code/ (a test builds it again
# from there).
#
# usage: scripts/bank-master.sh [OUT]
#   OUT defaults to the user's data folder, ${XDG_DATA_HOME:-~/.local/share}/pelanova/data/銀行マスタ.db
# Needs the built pelanova-cli. Fails (the old master stays) when the registry
# cannot be reached.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/user-folders.sh
out="${1:-$data_home/pelanova/data/銀行マスタ.db}"
cli=build/bin/pelanova-cli
[ -x "$cli" ] || { echo "bank-master: $cli is missing; build first (scripts/build.sh)" >&2; exit 1; }
if ! command -v npm >/dev/null; then
    # A Node.js installed from elsewhere brings its own npm, which Debian's would conflict with.
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends npm >/dev/null \
        || { $SUDO apt-get update >/dev/null && $SUDO env DEBIAN_FRONTEND=noninteractive \
             apt-get install -y --no-install-recommends npm >/dev/null; }
fi

mkdir -p build
fetch="$(mktemp -d build/zengin-code.XXXXXX)"
trap 'rm -rf "$fetch"' EXIT
# A registry that cannot be reached makes npm retry for minutes; give up sooner.
(cd "$fetch" && timeout 90 npm pack --silent --fetch-retries=1 --fetch-timeout=30000 zengin-code@latest >/dev/null)
tar -xzf "$fetch"/zengin-code-*.tgz -C "$fetch"
mkdir -p "$(dirname "$out")"
"$cli" bank-master build --from "$fetch/package" "$out"
rm -rf build/zengin-code
mv "$fetch" build/zengin-code
