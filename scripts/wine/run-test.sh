#!/usr/bin/env bash
# CTest's way into Wine: the cross build's CMAKE_CROSSCOMPILING_EMULATOR, so
# every Windows test CTest runs is `run-test.sh PROGRAM.exe ARGS...`. Runs the
# program in the prefix its test's environment names (WINEPREFIX) on the
# display ctest was started with, and stops it after QV_TEST_SECONDS.
#
# The program's output goes to a file and is printed once it ends: a COM
# server the test starts keeps whatever stdout wine had, and a pipe to ctest
# would stay open until that server exits.
#
# The time limit is kept here and not by ctest alone: ctest ends a test that
# overruns its TIMEOUT with SIGKILL, which leaves the program's Wine processes
# running (a COM server among them would then answer the next test). Here an
# overrun takes every Wine process of the prefix with it; the test's TIMEOUT,
# a minute later, is only the backstop.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"

if [[ -z "${DISPLAY:-}" ]]; then
    echo "run-test.sh: no DISPLAY for the Windows tests; run scripts/test-windows.sh," \
        "or ctest under xvfb-run -a" >&2
    exit 1
fi

limit="${QV_TEST_SECONDS:-600}"
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
timeout --kill-after=10 "$limit" wine "$@" </dev/null >"$out" 2>&1
status=$?
sed -e 's/\r$//' "$out"
if [[ $status -eq 124 || $status -eq 137 ]]; then
    echo "run-test.sh: $(basename "$1") was stopped after $limit s" >&2
    qv_wine_kill
    timeout 10 wineserver -w >/dev/null 2>&1 || true
fi
exit "$status"
