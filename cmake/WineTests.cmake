# GoogleTest programs run under Wine, one ctest entry per test case.
#
#   add_wine_gtest(<target> PREFIX <name prefix> LABELS <labels> TIMEOUT <seconds>
#                  [WINDOWS <versions>] [WINE_RUN <wine-run command>])
#
# With WINDOWS, each case runs once per Windows version that Wine plays
# (<prefix><Suite>.<Case>.<version>), through WINE_RUN --windows <version>.
#
# The cases are listed when ctest starts (the build never runs Wine). A
# program that cannot run here because 32-bit Windows programs do not run on
# this machine (tools/wine-run answers 77 and says why) is one entry that
# reports as skipped with that reason; a program that cannot list its cases
# is one entry that fails with the listing's output.
set(WINE_TESTS_LIST_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/WineTestsList.cmake)

function(add_wine_gtest target)
  cmake_parse_arguments(arg "" "PREFIX;TIMEOUT" "LABELS;WINDOWS;WINE_RUN" ${ARGN})
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_wine_tests.cmake)
  string(REPLACE ";" " " emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
  file(GENERATE OUTPUT ${include_file} CONTENT "
set(wine_test_target [==[${target}]==])
set(wine_test_executable [==[$<TARGET_FILE:${target}>]==])
set(wine_test_emulator ${emulator})
set(wine_test_prefix [==[${arg_PREFIX}]==])
set(wine_test_labels [==[${arg_LABELS}]==])
set(wine_test_timeout ${arg_TIMEOUT})
set(wine_test_directory [==[$<TARGET_FILE_DIR:${target}>]==])
set(wine_test_windows [==[${arg_WINDOWS}]==])
set(wine_test_wine_run [==[${arg_WINE_RUN}]==])
include([==[${WINE_TESTS_LIST_SCRIPT}]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
