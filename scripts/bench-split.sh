#!/usr/bin/env bash
# Prints how long splitting a 200 MB file of 100,000 cards takes next to
# reading it plainly, and the splitter's peak memory (not a test: the machines
# are shared and noisy, so only the ratio measured side by side means much).
#   scripts/bench-split.sh [FILE [CARDS [ROUNDS]]]
# Built natively without sanitizers in build/bench-native; the generated file
# (default /tmp/quorvane-split-bench.vcf) is deleted afterwards.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build/bench-native"

cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_SANITIZE=OFF >/dev/null
cmake --build "$build" -j 2 --target quorvane_split_bench >/dev/null
"$build/quorvane_split_bench" "$@"

# Reading a file contact by contact as the run does: the first contact of the
# export, the window's longest wait in a file of gigabytes without a card, and
# peak memory and card files for a huge card without END and for the export.
export_file=/tmp/quorvane-read-bench.vcf
cmake --build "$build" -j 2 --target quorvane_file_read_bench >/dev/null
"$build/quorvane_split_bench" --write "$export_file" 100000 >/dev/null
"$build/quorvane_file_read_bench" "$export_file" 4 1
rm -f "$export_file"
