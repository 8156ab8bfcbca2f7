#!/usr/bin/env bash
# Runs one command with a private Xvfb display, for Wine programs that show
# windows, and leaves nothing running afterwards: not Xvfb, not the prefix's
# wineserver, whatever the command does or however it is interrupted.
#   scripts/wine/with-display.sh CMD [ARGS...]
# Exits with CMD's status (130/143 when interrupted).
set -uo pipefail

if [[ $# -eq 0 ]]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"

xvfb_pid=""
cmd_pid=""
xvfb_log="$(mktemp)"
status=1
wine_wait_seconds=60

cleanup() {
    trap - EXIT INT TERM
    # A background command does not get the terminal's Ctrl-C by itself.
    if [[ -n "$cmd_pid" ]] && kill -0 "$cmd_pid" 2>/dev/null; then
        kill -TERM "$cmd_pid" 2>/dev/null
        wait "$cmd_pid" 2>/dev/null
    fi
    # Wine's processes go before the display: a COM server that dies with its
    # X server leaves the wineserver refusing later activations.
    qv_wine_wait "$wine_wait_seconds"
    if [[ -n "$xvfb_pid" ]]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -f "$xvfb_log"
    exit "$status"
}
trap cleanup EXIT
trap 'status=130; wine_wait_seconds=10; cleanup' INT
trap 'status=143; wine_wait_seconds=10; cleanup' TERM

display_answers() {
    DISPLAY=":$1" xdpyinfo >/dev/null 2>&1
}

# Another Xvfb may claim the same number between our check and its start; a
# server that exits early lost that race, and the next number is tried.
start_xvfb() {
    local n tries
    for ((n = 90; n < 190; n++)); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$xvfb_log" 2>&1 &
        xvfb_pid=$!
        for ((tries = 0; tries < 100; tries++)); do
            if ! kill -0 "$xvfb_pid" 2>/dev/null; then
                wait "$xvfb_pid" 2>/dev/null
                xvfb_pid=""
                break
            fi
            if display_answers "$n"; then
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        if [[ -n "$xvfb_pid" ]]; then
            kill "$xvfb_pid" 2>/dev/null
            wait "$xvfb_pid" 2>/dev/null
            xvfb_pid=""
        fi
    done
    echo "with-display.sh: no Xvfb display could be started:" >&2
    cat "$xvfb_log" >&2
    return 1
}

start_xvfb || exit 1
# In the background so that a signal reaches the trap at once; stdin is
# passed on explicitly, as a background command would otherwise get /dev/null.
"$@" <&0 &
cmd_pid=$!
# wait returns early when a trapped signal arrives; the trap then cleans up.
wait "$cmd_pid"
status=$?
