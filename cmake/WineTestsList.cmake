# Included by ctest for each program of add_wine_gtest (WineTests.cmake):
# lists the program's cases and adds one test for each.
set(wine_test_skip_code 77)

macro(list_cases)
  execute_process(
    COMMAND ${wine_test_emulator} ${wine_test_executable} --gtest_list_tests
    WORKING_DIRECTORY ${wine_test_directory}
    OUTPUT_VARIABLE listing
    ERROR_VARIABLE listing_errors
    RESULT_VARIABLE listed
    TIMEOUT 60)
endmacro()

list_cases()
# Under a heavily loaded machine a Wine start can fail once; a second try
# tells a passing hiccup from a program that cannot list its cases.
if(NOT listed EQUAL 0 AND NOT listed EQUAL wine_test_skip_code)
  message(WARNING "${wine_test_target}: listing its cases failed (${listed}) and is tried again: ${listing_errors}")
  list_cases()
endif()

if(NOT listed EQUAL 0)
  # The program runs again as the test: under a machine that cannot run it
  # it exits 77 and says why (skipped); otherwise it fails with its output.
  add_test(${wine_test_prefix}${wine_test_target} ${wine_test_emulator} ${wine_test_executable} --gtest_list_tests)
  set_tests_properties(${wine_test_prefix}${wine_test_target} PROPERTIES
    WORKING_DIRECTORY ${wine_test_directory}
    LABELS "${wine_test_labels}"
    TIMEOUT ${wine_test_timeout}
    SKIP_RETURN_CODE ${wine_test_skip_code}
    # A listing that worked the second time is still a fault of the first.
    FAIL_REGULAR_EXPRESSION "^Running main\\(\\)")
  return()
endif()

string(REPLACE "\r" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(suite "")
foreach(line IN LISTS lines)
  if(line MATCHES "^Running main" OR line STREQUAL "")
    continue()
  endif()
  # Parameterised cases carry a comment: "  Case/0  # GetParam() = ...".
  string(REGEX REPLACE "  +#.*$" "" line "${line}")
  if(line MATCHES "^  +(.+)$")
    set(name "${suite}${CMAKE_MATCH_1}")
    # One run per version that Wine plays, or one as it comes.
    if(wine_test_windows)
      foreach(version IN LISTS wine_test_windows)
        add_test(${wine_test_prefix}${name}.${version} ${wine_test_wine_run} --windows ${version}
                 ${wine_test_executable} --gtest_filter=${name})
        list(APPEND added ${wine_test_prefix}${name}.${version})
      endforeach()
    else()
      add_test(${wine_test_prefix}${name} ${wine_test_emulator} ${wine_test_executable} --gtest_filter=${name})
      set(added ${wine_test_prefix}${name})
    endif()
    set_tests_properties(${added} PROPERTIES
      WORKING_DIRECTORY ${wine_test_directory}
      LABELS "${wine_test_labels}"
      TIMEOUT ${wine_test_timeout}
      SKIP_RETURN_CODE ${wine_test_skip_code}
      SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
    set(added "")
  else()
    set(suite "${line}")
  endif()
endforeach()
