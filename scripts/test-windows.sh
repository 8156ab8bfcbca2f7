#!/usr/bin/env bash
# Runs the Windows tests and the end-to-end tests under Wine, in a fresh prefix
# with the stand-in Outlook registered, on a private X display.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build/win"
export WINEPREFIX="$repo/build/wine-test"
. "$repo/scripts/wine/env.sh"

standin="$build/standin/outlook.exe"
"$repo/scripts/wine/prefix.sh" "$WINEPREFIX" "$standin"

results="$repo/build/test-results"
rm -rf "$results"
mkdir -p "$results"

# The programs read these; Wine passes the environment on.
QUORVANE_EXE="$(winepath -w "$build/src/platform/win32/quorvane.exe")"
QUORVANE_STANDIN_EXE="$(winepath -w "$standin")"
QUORVANE_STANDIN_DIR="$(winepath -w "$build/standin")"
export QUORVANE_EXE QUORVANE_STANDIN_EXE QUORVANE_STANDIN_DIR
# winepath started this prefix's Wine without a display; its desktop must be
# gone before the tests start, or their windows have no display to go to.
qv_wine_wait 30

run_suites() {
    local status=0 suite
    for suite in tests/win/quorvane_windows_tests tests/e2e/quorvane_e2e_tests; do
        local name
        name="$(basename "$suite")"
        echo "== $name (under Wine)"
        # Output goes to files: a COM server started by a test keeps any pipe open.
        timeout 900 wine "$build/$suite.exe" --gtest_color=no \
            >"$results/$name.out" 2>"$results/$name.err" || status=1
        sed -e 's/\r$//' "$results/$name.out"
        qv_wine_wait 30
    done
    # A short soak: random Outlook faults from a fixed seed that draws every
    # kind at least once in 150 files. The long one is `make soak`.
    echo "== quorvane_soak (150 files, seed 38, under Wine)"
    timeout 600 wine "$build/tests/soak/quorvane_soak.exe" 150 38 3 5000 \
        >"$results/quorvane_soak.log" 2>"$results/quorvane_soak.err" || status=1
    sed -e 's/\r$//' "$results/quorvane_soak.log"
    qv_wine_wait 30
    return $status
}
export -f run_suites
export build results
status=0
"$repo/scripts/wine/with-display.sh" bash -c "$(declare -f qv_wine_wait qv_wine_kill); run_suites" ||
    status=$?

# One closing line for the whole Windows side, counted from GoogleTest's own.
passed=0 failed=0
for out in "$results"/*.out; do
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.\r\?$/\1/p' "$out" | tail -n 1)
    f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:\r\?$/\1/p' "$out" | tail -n 1)
    passed=$((passed + ${p:-0}))
    failed=$((failed + ${f:-0}))
done
# A suite that crashed before its summary still fails the run.
[[ $status -ne 0 && $failed -eq 0 ]] && failed=1
echo "windows: $passed passed, $failed failed"
exit $status
