#!/usr/bin/env bash
# The long unattended run: COUNT contacts (default 10,000) through the real
# quorvane.exe against a stand-in Outlook that misbehaves at random from SEED,
# imported by METHOD: windowed (Start Importing, the default), windowless
# (Import Without Windows) or windowless-folder (into a chosen folder), ROUNDS
# times over (default 1; 2 proves nothing already in Outlook is stored again).
#   scripts/soak.sh [COUNT] [SEED] [FAULT_PERCENT] [OPEN_WAIT_MS] [METHOD] [ROUNDS]
# Uses its own Wine prefix (SOAK_WINEPREFIX, default build/wine-soak) and a
# private X display; prints the soak's figures and exits non-zero when a
# promise was broken. Replay a failure with the seed it printed.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build/win"
count="${1:-10000}"
seed="${2:-1}"
percent="${3:-5}"
open_wait="${4:-5000}"
method="${5:-windowed}"
rounds="${6:-1}"
export WINEPREFIX="${SOAK_WINEPREFIX:-$repo/build/wine-soak}"
. "$repo/scripts/wine/env.sh"

# The programs run from copies: a long run must not meet a rebuild of the
# tree halfway. The stand-in keeps a folder of its own, away from quorvane.exe.
bin="$WINEPREFIX-bin"
out="$WINEPREFIX-results"
rm -rf "$bin" "$out"
mkdir -p "$bin/standin" "$out"
cp "$build/src/shell/quorvane.exe" "$build/tests/soak/quorvane_soak.exe" \
    "$build/tests/soak/quorvane_drag_source.exe" "$bin/"
cp "$build/standin/outlook.exe" "$bin/standin/"

"$repo/scripts/wine/prefix.sh" "$WINEPREFIX" "$bin/standin/outlook.exe"

QUORVANE_EXE="$(winepath -w "$bin/quorvane.exe")"
QUORVANE_STANDIN_EXE="$(winepath -w "$bin/standin/outlook.exe")"
export QUORVANE_EXE QUORVANE_STANDIN_EXE
qv_wine_wait 30

echo "soak: output in $out/soak.out" >&2
export bin out count seed percent open_wait method rounds
soak_run() {
    # Files, not a pipe: the stand-in the soak starts keeps its stdout.
    wine "$bin/quorvane_soak.exe" "$count" "$seed" "$percent" "$open_wait" "$method" "$rounds" \
        >"$out/soak.out" 2>"$out/soak.err" &
    local pid=$! shown=0
    # The soak's lines as they come, for a run that takes hours.
    while kill -0 "$pid" 2>/dev/null; do
        sleep 5
        shown=$(qv_show_new "$out/soak.out" "$shown")
    done
    wait "$pid"
    local status=$?
    qv_show_new "$out/soak.out" "$shown" >/dev/null
    return $status
}
# Prints the lines of FILE after the first SHOWN ones; echoes the new count.
qv_show_new() {
    local total
    total=$(wc -l <"$1")
    tail -n +"$(($2 + 1))" "$1" | head -n "$((total - $2))" | sed -e 's/\r$//' >&2
    echo "$total"
}
# The functions go as text: xvfb-run is a POSIX shell script, which drops
# bash's exported functions from the environment.
qv_with_display bash -c "$(declare -f soak_run qv_show_new); soak_run"
