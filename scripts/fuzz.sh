#!/usr/bin/env bash
# Builds the libFuzzer targets in build/fuzz (clang, AddressSanitizer and
# UBSan) and runs each for SECONDS_PER_TARGET seconds, default 300.
#
# Each target starts from its checked-in seed corpus in fuzz/corpus/<target>,
# copied to build/fuzz/corpus/<target>: what the fuzzer learns stays in
# build/. A crash or a broken promise leaves its input in
# build/fuzz/findings/<target>/; to keep it as a seed, copy it into the repo by
# hand along with the fix and its regression test.
#
# Exits non-zero when any target found something.
set -euo pipefail

seconds="${1:-300}"
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build/fuzz"

CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -DQUORVANE_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j 2 --target quorvane_fuzzers >/dev/null

summary=()
status=0
for source in "$repo"/fuzz/*_fuzzer.cpp; do
    target="$(basename "$source" .cpp)"
    corpus="$build/corpus/$target"
    findings="$build/findings/$target"
    log="$build/logs/$target.log"
    rm -rf "$findings"
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    cp -r "$repo/fuzz/corpus/$target/." "$corpus/"

    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096
             -print_final_stats=1 -artifact_prefix="$findings/")
    dictionary="$repo/fuzz/$target.dict"
    [[ -f "$dictionary" ]] && options+=(-dict="$dictionary")

    start=$SECONDS
    result="nothing found"
    if ! "$build/fuzz/$target" "${options[@]}" "$corpus" >"$log" 2>&1; then
        result="FOUND: $(ls "$findings" | head -1) (see $log)"
        status=1
    fi
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    summary+=("$(printf '%-24s %10s runs %5ss  %s' "$target" "${runs:-?}" \
        "$((SECONDS - start))" "$result")")
    echo "${summary[-1]}"
done

echo
echo "Fuzzing, ${seconds}s per target:"
printf '  %s\n' "${summary[@]}"
exit "$status"
