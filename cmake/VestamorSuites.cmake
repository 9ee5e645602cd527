# Run by CTest (a test program's include file, vestamor_test(... BY_SUITE)): registers one test per
# GoogleTest suite of the program, run in one process, its time limit the per-test limit times the
# suite's tests. Each start of a test program loads every module it links, which under emulation
# took longer than most of its tests; the list is made again when the program or this script is newer.
if(NOT EXISTS "${program}")
  add_test("${name}_NOT_BUILT" "${name}_NOT_BUILT")
  return()
endif()
if(NOT EXISTS "${list}" OR NOT "${list}" IS_NEWER_THAN "${program}" OR
   NOT "${list}" IS_NEWER_THAN "${CMAKE_CURRENT_LIST_FILE}")
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
  foreach(suite IN LISTS suites)
    math(EXPR limit "${limit_per_test} * ${count_${suite}}")
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
