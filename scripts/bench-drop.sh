#!/usr/bin/env bash
# Prints what dropping a big folder on the real quorvane.exe costs, measured
# from outside the process (not a test: the machines are shared and noisy, so
# only the ratios measured side by side in one run mean much):
#   scripts/bench-drop.sh [FOLDER_NAME...]     (default: tree flat)
# "tree" is 100,000 files in 11,122 folders, "flat" one folder of a million
# files. Both are made once, with plain shell tools straight in the prefix's
# drive C: (through Wine a million files would take an hour), and kept with
# the prefix (QV_BENCH_PREFIX, default build/wine-bench-drop), which is only
# made afresh when it is missing. QV_QUORVANE_EXE measures another build's
# quorvane.exe (a Unix path).
set -euo pipefail
. "$(dirname "$0")/wine/env.sh"
build="${QV_BUILD_DIR:-$QV_REPO/build/win}"
export WINEPREFIX="${QV_BENCH_PREFIX:-$QV_REPO/build/wine-bench-drop}"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    qv_fresh_prefix "$build"
fi

data="$WINEPREFIX/drive_c/quorvane-bench"
mkdir -p "$data"
# The markers stand beside the folders: a file inside would be dropped too.
if [[ ! -f "$data/tree.complete" ]]; then
    rm -rf "$data/tree"
    mkdir -p "$data/tree"
    (
        cd "$data/tree"
        touch contact{0..9}.vcf
        for group in g{00..10}; do
            for sub in s{0..9}; do
                mkdir -p "$group/$sub"/l{00..99}
                touch "$group/$sub"/contact{0..8}.vcf "$group/$sub"/l{00..99}/contact{0..8}.vcf
            done
        done
    )
    touch "$data/tree.complete"
fi
if [[ ! -f "$data/flat.complete" ]]; then
    rm -rf "$data/flat"
    mkdir -p "$data/flat"
    (
        cd "$data/flat"
        awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "contact%07d.vcf\n", i }' |
            xargs touch
    )
    touch "$data/flat.complete"
fi

exe="${QV_QUORVANE_EXE:-$build/src/shell/quorvane.exe}"
# Wine maps the Unix root to drive Z:; no Wine run is needed to say so.
QUORVANE_EXE="Z:$(realpath "$exe" | tr / '\\')"
export QUORVANE_EXE
folders=()
for name in "${@:-tree flat}"; do
    for one in $name; do
        folders+=("C:\\quorvane-bench\\$one")
    done
done

qv_with_display qv_wine_run_and_show "$build/bench-drop.out" \
    "$build/bench/quorvane_drop_bench.exe" "${folders[@]}"
