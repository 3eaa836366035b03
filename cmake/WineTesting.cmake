# Windows test executables built on Linux run under Wine, in a prefix private to this build
# folder, so that builds and test runs never share Wine state with each other or with the user.
#
# VELKARON_WINE_PREFIX       the prefix, created by the build (target wine_prefix)
# VELKARON_WINE_ENVIRONMENT  NAME=VALUE list for tests that start Wine themselves:
#                            set_tests_properties(... ENVIRONMENT "${VELKARON_WINE_ENVIRONMENT}")
#
# Every Windows program started under Wine costs seconds unless the prefix's wineserver already
# runs: tools/test keeps one running for the whole test run (tools/wine-prefix start/stop).
set(VELKARON_WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix")
# The environment of a run is tools/wine-prefix's, the one place that states it.
set(wine_prefix_tool "${PROJECT_SOURCE_DIR}/tools/wine-prefix")
execute_process(COMMAND "${wine_prefix_tool}" env "${VELKARON_WINE_PREFIX}"
                OUTPUT_VARIABLE VELKARON_WINE_ENVIRONMENT OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" VELKARON_WINE_ENVIRONMENT "${VELKARON_WINE_ENVIRONMENT}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${wine_prefix_tool}")
find_program(VELKARON_WINE NAMES wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${wine_prefix_tool}" run "${VELKARON_WINE_PREFIX}" ${VELKARON_WINE})

if(VELKARON_BUILD_TESTS)
  # Created once, before any test runs: creating it takes seconds, longer than a test may wait
  # for its executable to list its tests.
  set(ready_mark "${VELKARON_WINE_PREFIX}/.velkaron-prefix-ready")
  add_custom_command(OUTPUT "${ready_mark}"
    COMMAND "${PROJECT_SOURCE_DIR}/tools/wine-prefix" create "${VELKARON_WINE_PREFIX}"
    COMMENT "Creating the Wine prefix for the tests"
    VERBATIM)
  add_custom_target(wine_prefix ALL DEPENDS "${ready_mark}")
endif()
