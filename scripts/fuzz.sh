#!/usr/bin/env bash
# Runs each libFuzzer target of fuzz/ for SECONDS. The targets and the core
# library they fuzz are built with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/; the Qt screens are not built.
# Each starts from seeds the program makes (build/bin/pelanova-cli, built
# first when missing): the sample transfer files (sample-files) and a merged
# file of the demo database (demo, write-file) for the import, the codec and
# the Zengin check, the demo's settings file, and the tests' small copy of the
# public bank code list. A finding (a crash, a sanitizer's report, a property
# that does not hold, a slow input) fails the run: the input that found it is
# kept in build-fuzz/findings/ and printed in the log as base64.
#
# usage: scripts/fuzz.sh SECONDS [TARGET...]
#   TARGET   import, cp932, settings, zengincheck, banklist (default: all of them)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-}"
case "$seconds" in
    ''|*[!0-9]*) echo "usage: scripts/fuzz.sh SECONDS [TARGET...]" >&2; exit 2 ;;
esac
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(import cp932 settings zengincheck banklist)

scripts/install-deps.sh clang libclang-rt-14-dev >/dev/null
SECONDS=0
[ -x build/bin/pelanova-cli ] || scripts/build.sh pelanova-cli >/dev/null

out=build-fuzz
cmake -S . -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
      -DPELANOVA_FUZZ=ON -DBUILD_TESTING=OFF -DPELANOVA_BENCH=OFF >/dev/null
cmake --build "$out" -j"$(nproc)" --target fuzzers >/dev/null
built=$SECONDS

# Seeds, made afresh by the program.
seeds="$out/seeds"
rm -rf "$seeds" "$out/corpus" "$out/findings"
mkdir -p "$seeds"/{transfer,settings,banklist} "$out/corpus" "$out/findings"
cli=build/bin/pelanova-cli
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$cli" sample-files "$seeds/transfer" >/dev/null
"$cli" bank-master build --from tests/data/zengin-code/package "$work/bank.db" >/dev/null
"$cli" --db "$work/demo/FBDB.db" --ini "$work/demo/pelanova.ini" demo --bank-master "$work/bank.db" >/dev/null
"$cli" --db "$work/demo/FBDB.db" --ini "$work/demo/pelanova.ini" write-file --date 20261130 \
       --consignor 1234567890 --line-break crlf "$seeds/transfer/merged.txt" >/dev/null
cp "$work/demo/pelanova.ini" "$seeds/settings/"
cp tests/data/zengin-code/package/lib/zengin-data.js "$seeds/banklist/"

seedsOf() {
    case "$1" in
        settings|banklist) echo "$seeds/$1" ;;
        *) echo "$seeds/transfer" ;;
    esac
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
summary=()
for target in "${targets[@]}"; do
    program="$out/fuzz/${target}_fuzzer"
    [ -x "$program" ] || { echo "fuzz: no target $target" >&2; exit 2; }
    corpus="$out/corpus/$target"
    mkdir -p "$corpus"
    log="$out/$target.log"
    echo "fuzz: $target for $seconds s"
    rc=0
    "$program" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$out/findings/$target-" "$corpus" "$(seedsOf "$target")" >"$log" 2>&1 || rc=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    findings=0
    for input in "$out/findings/$target"-*; do
        [ -e "$input" ] || continue
        findings=$((findings + 1))
        echo "fuzz: $target found $(basename "$input") ($(stat -c %s "$input") bytes), base64:"
        base64 -w 76 "$input"
    done
    if [ "$rc" -ne 0 ] || [ "$findings" -ne 0 ]; then
        failed+=("$target")
        echo "fuzz: $target failed (exit $rc); its log ends:"
        tail -n 60 "$log" | sed 's/^/    /'
    fi
    summary+=("$(printf '%-12s %10s runs  %d findings' "$target" "${runs:-?}" "$findings")")
done

echo "fuzz: build $built s, fuzzing $((SECONDS - built)) s"
printf '    %s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: FAILED: ${failed[*]} (inputs in $out/findings/)" >&2
    exit 1
fi
