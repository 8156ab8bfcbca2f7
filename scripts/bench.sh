#!/usr/bin/env bash
# Prints the benchmark figures (not a test: the machines are shared and noisy,
# so only ratios measured side by side in one run mean anything).
#   scripts/bench.sh [FILES [SLOW_FILES [CONTACTS [FOLDER_CONTACTS [AGAIN_CONTACTS]]]]]
# FILES are imported through item windows, CONTACTS (default 2000) without;
# a Contacts folder of FOLDER_CONTACTS (default 10000) is read through its table;
# AGAIN_CONTACTS (default 1000; 10000 for the full figure) are imported a second
# time, and a run of as many taken back.
set -euo pipefail
. "$(dirname "$0")/wine/env.sh"
build="$QV_REPO/build/win"
export WINEPREFIX="$QV_REPO/build/wine-bench"
qv_fresh_prefix "$build"
QUORVANE_EXE="$(winepath -w "$build/src/shell/quorvane.exe")"
QUORVANE_STANDIN_EXE="$(winepath -w "$build/standin/outlook.exe")"
export QUORVANE_EXE QUORVANE_STANDIN_EXE
# winepath ran Wine without a display; let it end before the benchmark starts.
qv_wine_wait 30
qv_with_display qv_wine_run_and_show "$QV_REPO/build/bench.out" "$build/bench/quorvane_bench.exe" \
    "${1:-200}" "${2:-5}" "${3:-2000}" "${4:-10000}" "${5:-1000}"
