# Run by CTest (a test program's include file, vestamor_test(... BY_SUITE)): registers one test per
# GoogleTest suite of the program, run in one process. Each start of a test program loads every
# module it links, which under emulation took longer than most of its tests; the list is made
# again when the program, this script or the table of times is newer.
#
# A suite's time limit is three times its time in cmake/VestamorSuiteTimes.txt, measured under the
# emulator (time scale 4) and scaled from there, and at least a minute scaled: a hang then fails
# under the suite's name in minutes. A suite not in the table gets the per-test limit for each of
# its tests, at most five minutes scaled.
if(NOT EXISTS "${program}")
  add_test("${name}_NOT_BUILT" "${name}_NOT_BUILT")
  return()
endif()
if(NOT EXISTS "${list}" OR NOT "${list}" IS_NEWER_THAN "${program}" OR
   NOT "${list}" IS_NEWER_THAN "${CMAKE_CURRENT_LIST_FILE}" OR NOT "${list}" IS_NEWER_THAN "${times}")
  execute_process(COMMAND "${program}" --gtest_list_tests WORKING_DIRECTORY "${folder}" TIMEOUT ${discovery}
                  OUTPUT_VARIABLE output RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${program} --gtest_list_tests failed (${result}):\n${output}")
  endif()
  string(REPLACE ";" "\\;" output "${output}")
  string(REPLACE "\n" ";" lines "${output}")
  set(script "")
  set(suite "")
  set(suites "")
  string(REPLACE ";" " " properties "${properties}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #]+)\\.( .*)?$")
      set(suite "${CMAKE_MATCH_1}")
      set(count_${suite} 0)
      list(APPEND suites "${suite}")
    elseif(suite AND line MATCHES "^  [^ ]")
      math(EXPR count_${suite} "${count_${suite}} + 1")
    endif()
  endforeach()
  # "<program>.<suite>.* <seconds>" lines, as CTest names the suites and reports their times.
  file(STRINGS "${times}" rows REGEX "^[^#]")
  foreach(row IN LISTS rows)
    if(row MATCHES "^${name}\\.([^ ]+)\\.\\* +([0-9.]+)$")
      set(measured_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
    endif()
  endforeach()
  foreach(suite IN LISTS suites)
    if(DEFINED measured_${suite})
      # Whole seconds, rounded up, of three times the time scaled from the emulator's 4.
      string(REGEX REPLACE "\\..*" "" seconds "${measured_${suite}}")
      math(EXPR limit "(3 * (${seconds} + 1) * ${scale} + 3) / 4")
      math(EXPR floor "60 * ${scale}")
      if(limit LESS floor)
        set(limit ${floor})
      endif()
    else()
      math(EXPR limit "${limit_per_test} * ${count_${suite}}")
      math(EXPR ceiling "300 * ${scale}")
      if(limit GREATER ceiling)
        set(limit ${ceiling})
      endif()
    endif()
    # Named after the program too: two programs may have suites of one name.
    set(test "${name}.${suite}.*")
    string(APPEND script
           "add_test([==[${test}]==] [==[${program}]==] [==[--gtest_filter=${suite}.*]==] --gtest_also_run_disabled_tests)\n"
           "set_tests_properties([==[${test}]==] PROPERTIES WORKING_DIRECTORY [==[${folder}]==] TIMEOUT ${limit} "
           "COST ${limit} ${properties})\n")
  endforeach()
  file(WRITE "${list}" "${script}")
endif()
include("${list}")
