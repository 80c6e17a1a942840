#!/usr/bin/env bash
# Builds the bank master data/銀行マスタ.db beside the program (build/bin/) from
# the newest release of the public list of Japanese bank and branch codes, the
# npm package zengin-code (MIT licence), fetched with npm. The unpacked package
# is kept in build/zengin-code/ (a test builds it again from there).
#
# usage: scripts/bank-master.sh [OUT]     OUT defaults to build/bin/data/銀行マスタ.db
# Needs the built pelanova-cli. Fails (the old master stays) when the registry
# cannot be reached.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/bin/data/銀行マスタ.db}"
cli=build/bin/pelanova-cli
[ -x "$cli" ] || { echo "bank-master: $cli is missing; build first (scripts/build.sh)" >&2; exit 1; }
command -v npm >/dev/null || { echo "bank-master: no npm (scripts/install-deps.sh installs it)" >&2; exit 1; }

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
