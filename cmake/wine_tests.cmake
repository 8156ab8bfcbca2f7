# The Windows tests, the end-to-end tests and the short soak as CTest tests of
# the cross build, run under Wine: `ctest` in the build folder, on an X
# display (scripts/test-windows.sh gives it a private one).
#
# One CTest test per GoogleTest test, registered by gtest_add_tests from the
# sources. gtest_discover_tests would have to run each test program at build
# time to list its tests, which a cross build cannot do without Wine and a
# display; and one CTest test per program would report a whole program as
# skipped when one of its tests skips (the folder search's link test does,
# under Wine), hiding every other result. Each test then runs in a process of
# its own: a few tenths of a second more per test (the Windows tests take
# about 26 s so, against 13 s in one process), and a test that hangs or
# crashes takes no other with it.
#
# Every test runs through scripts/wine/run-test.sh (the emulator), which
# keeps each test's own time limit and tidies up Wine after an overrun; the
# TIMEOUT property is the backstop a minute later. The tests share one Wine
# prefix, made afresh by the fixture test wine_prefix before any of them and
# waited for by wine_settle after the last, so that no Wine process outlives
# the run (and the display it was given). RESOURCE_LOCK keeps them one at a
# time even under `ctest -j`: two Wine tests at once disturb each other.

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine/run-test.sh)
# scripts/test-windows.sh knows this place too.
set(QUORVANE_TEST_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-test)

# A path of the build as the Windows programs see it: Wine maps the Unix root
# to drive Z:.
function(quorvane_wine_path out unix_path)
    string(REPLACE "/" "\\" windows_path "Z:${unix_path}")
    set(${out} "${windows_path}" PARENT_SCOPE)
endfunction()

quorvane_wine_path(quorvane_exe_for_wine ${CMAKE_BINARY_DIR}/src/shell/quorvane.exe)
quorvane_wine_path(standin_exe_for_wine ${QUORVANE_STANDIN_DIR}/outlook.exe)
set(QUORVANE_WINE_TEST_ENVIRONMENT
    "WINEPREFIX=${QUORVANE_TEST_WINEPREFIX}"
    "QUORVANE_EXE=${quorvane_exe_for_wine}"
    "QUORVANE_STANDIN_EXE=${standin_exe_for_wine}")

add_test(NAME wine_prefix
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine/prefix.sh ${QUORVANE_TEST_WINEPREFIX}
            ${QUORVANE_STANDIN_DIR}/outlook.exe)
add_test(NAME wine_settle
    COMMAND bash -c ". \"$0\" && qv_wine_wait 60" ${CMAKE_SOURCE_DIR}/scripts/wine/env.sh)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP WinePrefix TIMEOUT 180
    RESOURCE_LOCK Wine)
set_tests_properties(wine_settle PROPERTIES FIXTURES_CLEANUP WinePrefix TIMEOUT 120
    RESOURCE_LOCK Wine ENVIRONMENT "WINEPREFIX=${QUORVANE_TEST_WINEPREFIX}")

# Runs TESTS under Wine, each stopped after SECONDS.
function(quorvane_wine_test_properties seconds)
    math(EXPR backstop "${seconds} + 60")
    set_tests_properties(${ARGN} PROPERTIES
        ENVIRONMENT "${QUORVANE_WINE_TEST_ENVIRONMENT};QV_TEST_SECONDS=${seconds}"
        TIMEOUT ${backstop}
        SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
        FIXTURES_REQUIRED WinePrefix
        RESOURCE_LOCK Wine)
endfunction()

# One CTest test per GoogleTest test in SOURCES of TARGET, named PREFIX.Suite.Test.
function(quorvane_add_wine_gtests target prefix seconds)
    include(GoogleTest)
    gtest_add_tests(TARGET ${target} SOURCES ${ARGN} TEST_PREFIX ${prefix}.
        TEST_LIST added)
    quorvane_wine_test_properties(${seconds} ${added})
endfunction()
