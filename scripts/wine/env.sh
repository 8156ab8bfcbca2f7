# Sourced by the Wine scripts and by anyone running Quorvane's Windows build
# under Wine by hand: one prefix per checkout (never ~/.wine), no Wine chatter,
# and no offers to install Mono or Gecko.
#   . scripts/wine/env.sh

QV_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export QV_REPO
export WINEPREFIX="${WINEPREFIX:-$QV_REPO/build/wineprefix}"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="

# The stand-in's switches, as the tests and benchmarks set them.
QV_STANDIN_KEY='HKCU\Software\QuorvaneTest\OutlookStandIn'

# Runs a Windows program with its output in files: a program started by wine
# (and any COM server it starts) keeps the caller's stdout, so a pipe would
# stay open until the server exits.
#   qv_wine_run OUT_FILE ERR_FILE PROGRAM [ARGS...]
qv_wine_run() {
    local out="$1" err="$2"
    shift 2
    wine "$@" >"$out" 2>"$err"
}

# Runs a program as qv_wine_run does, then prints its output with Windows line
# ends made Unix ones; the program's status is the function's.
#   qv_wine_run_and_show OUT_FILE PROGRAM [ARGS...]   (errors in OUT_FILE.err)
qv_wine_run_and_show() {
    local out="$1" status=0
    shift
    mkdir -p "$(dirname "$out")"
    qv_wine_run "$out" "$out.err" "$@" || status=$?
    sed -e 's/\r$//' "$out"
    return $status
}

# Makes WINEPREFIX afresh with the stand-in Outlook of the build in BUILD_DIR
# registered: qv_fresh_prefix BUILD_DIR
qv_fresh_prefix() {
    "$QV_REPO/scripts/wine/prefix.sh" "$WINEPREFIX" "$1/standin/outlook.exe"
}

# Sets a REG_DWORD switch of the stand-in: qv_standin_set_dword NAME VALUE
qv_standin_set_dword() {
    wine reg add "$QV_STANDIN_KEY" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
}

# Sets a REG_SZ switch of the stand-in (a Windows path): qv_standin_set_string NAME VALUE
qv_standin_set_string() {
    wine reg add "$QV_STANDIN_KEY" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
}

# Forgets every switch: the stand-in's defaults again.
qv_standin_reset() {
    wine reg delete "$QV_STANDIN_KEY" /f >/dev/null 2>&1 || true
}

# Runs CMD on a private Xvfb display and leaves no Wine process of this prefix
# behind. xvfb-run stops its X server as soon as CMD returns, and a COM server
# that dies with its X server leaves the wineserver refusing later
# activations, so the wait for this prefix's Wine processes is part of the
# command, ahead of xvfb-run's own cleanup.
#   qv_with_display CMD [ARGS...]
# Wine runs on one machine disturb each other (displays, focus, timing), so
# every one of them, from any checkout, waits for a single machine-wide lock.
qv_with_display() {
    local lock=(flock /tmp/quorvane-wine.lock)
    # A caller that took the lock itself (flock /tmp/quorvane-wine.lock
    # scripts/test-windows.sh) holds it already: waiting again would wait on
    # itself for ever.
    qv_lock_held_above && lock=()
    "${lock[@]}" xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" bash -c '
        . "$QV_REPO/scripts/wine/env.sh"
        "$@"
        status=$?
        qv_wine_wait 60
        exit $status' qv_with_display "$@"
}

# Whether a process this shell descends from is a flock holding the lock.
qv_lock_held_above() {
    local pid=$PPID
    while [ "${pid:-0}" -gt 1 ]; do
        if tr '\0' ' ' </proc/"$pid"/cmdline 2>/dev/null | grep -q '^flock /tmp/quorvane-wine.lock '; then
            return 0
        fi
        pid=$(awk '{print $4}' /proc/"$pid"/stat 2>/dev/null)
    done
    return 1
}

# Stops every Wine process of this prefix at once. A COM server killed this way
# leaves nothing behind for the next run, unlike one killed on its own.
qv_wine_kill() {
    wineserver -k >/dev/null 2>&1 || true
}

# Waits for the prefix's Wine processes to end by themselves (the stand-in
# lingers for IdleExitMs), killing them after TIMEOUT seconds (default 30).
qv_wine_wait() {
    local limit="${1:-30}"
    if ! timeout "$limit" wineserver -w >/dev/null 2>&1; then
        qv_wine_kill
        timeout 10 wineserver -w >/dev/null 2>&1 || true
    fi
}

# The Windows form of a Unix path in this prefix: qv_winpath /tmp/a.vcf
qv_winpath() {
    winepath -w "$1" 2>/dev/null
}
