#!/usr/bin/env bash
# Prints the queue and folder search figures at scale (not a test: the machines
# are shared and noisy, so only the ratios measured side by side mean much).
#   scripts/bench-queue.sh [ROWS [BATCH]]
# The tree of 100 x 100 folders with 10 files each is made once and kept
# (QV_BENCH_TREE, default /tmp/quorvane-bench-tree); QV_BUILD_DIR and
# QV_BENCH_PREFIX choose another build or Wine prefix.
set -euo pipefail
. "$(dirname "$0")/wine/env.sh"
build="${QV_BUILD_DIR:-$QV_REPO/build/win}"
export WINEPREFIX="${QV_BENCH_PREFIX:-$QV_REPO/build/wine-bench-queue}"
qv_fresh_prefix "$build"

tree="${QV_BENCH_TREE:-/tmp/quorvane-bench-tree}"
# Made from the shell: creating 100,000 files through Wine would take minutes.
if [[ ! -f "$tree/.complete" ]]; then
    rm -rf "$tree"
    mkdir -p "$tree"
    (
        cd "$tree"
        for group in g{000..099}; do
            mkdir -p "$group"/s{000..099}
            touch "$group"/s{000..099}/contact{00..09}.vcf
        done
    )
    touch "$tree/.complete" # a dot-file: hidden to Wine, and not a .vcf
fi
tree_win="$(winepath -w "$tree")"
# winepath ran Wine without a display; let it end before the benchmark starts.
qv_wine_wait 30

qv_with_display qv_wine_run_and_show "$build/bench-queue.out" \
    "$build/bench/quorvane_queue_scale_bench.exe" "$tree_win" "${1:-1000000}" "${2:-1000}"
