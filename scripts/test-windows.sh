#!/usr/bin/env bash
# Runs the Windows tests, the end-to-end tests and a 150-file soak under Wine,
# on a private X display, through CTest: the cross build registers them
# (cmake/wine_tests.cmake), with a fixture that makes a fresh prefix with the
# stand-in Outlook registered before the first and waits for Wine to end
# after the last. Extra arguments go to ctest (-R e2e, for instance).
set -euo pipefail
. "$(dirname "$0")/wine/env.sh"
# The prefix the build gave its tests (QUORVANE_TEST_WINEPREFIX).
export WINEPREFIX="$QV_REPO/build/win/wine-test"
mkdir -p "$QV_REPO/build/test-results"
qv_with_display ctest --test-dir "$QV_REPO/build/win" --output-on-failure \
    --output-log "$QV_REPO/build/test-results/windows.log" "$@"
