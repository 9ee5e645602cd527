# Helpers shared by every module's CMakeLists.txt.
include(GoogleTest)

# Adds every immediate subfolder of the current folder that has a CMakeLists.txt.
function(vestamor_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# vestamor_module(<name> [MODULES <our modules>...] [LIBS <external libraries>...]
#                 [PRIVATE_LIBS <external libraries>...] [EXCLUDE <files or subfolders>...])
# A static library of every .cpp below the current folder (but the excluded ones). Our own
# modules are linked whole, so that the static initialisers that register managers, commands,
# variables, descriptors and plug-ins are never dropped by the linker. With
# VESTAMOR_SHARED_MODULES (CI's sanitizer and fuzz builds) a module is a shared library instead: every
# program linked whole a copy of every module it names, half a gigabyte each with the
# sanitizers, and the build's forty programs outgrew CI's disk.
function(vestamor_module name)
  cmake_parse_arguments(M "" "" "MODULES;LIBS;PRIVATE_LIBS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${M_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${excluded}(/|$)")
  endforeach()
  if(NOT sources)
    # A module folder without sources yet: still a target others can name.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/sources)
    return()
  endif()
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(VESTAMOR_SHARED_MODULES)
    add_library(${name} SHARED ${sources} ${headers})
  else()
    add_library(${name} STATIC ${sources} ${headers})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/sources)
  foreach(module ${M_MODULES})
    target_link_libraries(${name} PUBLIC "$<LINK_LIBRARY:WHOLE_ARCHIVE,${module}>")
  endforeach()
  target_link_libraries(${name} PUBLIC ${M_LIBS} PRIVATE ${M_PRIVATE_LIBS})
endfunction()

# vestamor_link_modules(<target> <our modules>...): links our modules whole into an executable.
function(vestamor_link_modules target)
  foreach(module ${ARGN})
    target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${module}>")
  endforeach()
endfunction()

# The options of the files that compile the rasteriser's tile loops, which are short of registers
# on 32-bit x86: optimised builds give them -O3 and the frame pointer's register, unless
# VESTAMOR_FAST_TILE_LOOPS is off (CI's fuzz build, where they would take most of its time). Debug
# builds give them -O1 without inlining: as fast to compile as unoptimised and three times as fast
# to run under the emulator (-Og, which CI's sanitizer build gives the rest, took them three to
# eight times as long to compile). With
# VESTAMOR_TILE_LOOP_POINTER_CHECKS off (CI's sanitizer build) they leave out the undefined-behaviour
# checks of virtual calls and pointer arithmetic (AddressSanitizer still checks every access):
# on the models' thousands of accessors they took a fifth of the objects, which every test
# program links whole. (Leaving out the alignment and null checks too would save far more, but
# the unoptimised AVX2 light models then crash in this build; not yet understood.) GCC builds
# copy eight-lane values in their AVX2 functions with 32-byte moves: GCC's generic tuning copies
# them in 16-byte halves, and the loops' wide loads of such copies then wait for both stores to
# reach the cache (SSE2 functions keep their 16-byte moves; the options are GCC's alone).
set(VESTAMOR_TILE_LOOP_OPTIONS
    "$<$<AND:$<NOT:$<CONFIG:Debug>>,$<BOOL:${VESTAMOR_FAST_TILE_LOOPS}>>:-O3;-fomit-frame-pointer>"
    "$<$<CONFIG:Debug>:-O1;-fno-inline>"
    "$<$<CXX_COMPILER_ID:GNU>:-mmove-max=256;-mstore-max=256>"
    "$<$<AND:$<BOOL:${VESTAMOR_SANITIZE}>,$<NOT:$<BOOL:${VESTAMOR_TILE_LOOP_POINTER_CHECKS}>>>:-fno-sanitize=vptr,pointer-overflow>")

# vestamor_test_pch(<target>): compiles the target with the precompiled GoogleTest header that every
# test program shares. GCC takes it only where the macros it tests are defined alike: most test
# programs get _REENTRANT with SDL's flags, so all of them get it (glibc ignores it in C++).
function(vestamor_test_pch target)
  if(NOT TARGET vestamor_test_pch)
    set(source ${PROJECT_BINARY_DIR}/vestamor_test_pch.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "")
    add_library(vestamor_test_pch OBJECT ${source})
    target_link_libraries(vestamor_test_pch PRIVATE GTest::gtest)
    target_compile_definitions(vestamor_test_pch PRIVATE _REENTRANT)
    target_precompile_headers(vestamor_test_pch PRIVATE <gtest/gtest.h>)
  endif()
  target_compile_definitions(${target} PRIVATE _REENTRANT)
  target_precompile_headers(${target} REUSE_FROM vestamor_test_pch)
endfunction()

# A test's time limit in seconds, scaled by VESTAMOR_TEST_TIME_SCALE: where 32-bit programs run
# emulated (tools/test.sh) the same work takes several times as long.
set(VESTAMOR_TEST_TIME_SCALE 1 CACHE STRING "Factor of every test's time limit")
function(vestamor_time_limit variable seconds)
  math(EXPR scaled "${seconds} * ${VESTAMOR_TEST_TIME_SCALE}")
  set(${variable} ${scaled} PARENT_SCOPE)
endfunction()

# vestamor_test(<name> [BY_SUITE] [MODULES ...] [LIBS ...] [TIMEOUT <s>] [RESOURCE_LOCK <name>]):
# one GoogleTest executable of every .cpp below the current folder and tests/support/headless.cpp,
# registered with CTest test by test (each in a process of its own), each test limited to 120 s
# unless TIMEOUT says otherwise, or with BY_SUITE suite by suite (cmake/VestamorSuites.cmake: for
# programs whose tests pass one after another in a process), each suite limited by its measured
# time (cmake/VestamorSuiteTimes.txt). Tests that run whole programs of the sanitizer build take a
# RESOURCE_LOCK: two of them at once on a busy machine would starve each other past any limit.
# The test code is checked for undefined behaviour like the code under test: a program's copies of
# the engine headers' inline and template functions are the ones its modules call (a program's own
# definitions come first, shared modules or static), so unchecked test code left the engine's header
# code unchecked. The checks add about a fifth to the test files' compile time.
function(vestamor_test name)
  cmake_parse_arguments(T "BY_SUITE" "TIMEOUT;RESOURCE_LOCK" "MODULES;LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  # Every test program runs headless: no test waits on a message box or opens a real window.
  add_executable(${name} ${sources} ${PROJECT_SOURCE_DIR}/tests/support/headless.cpp)
  vestamor_link_modules(${name} ${T_MODULES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/sources ${PROJECT_SOURCE_DIR}/tests
                             ${CMAKE_CURRENT_SOURCE_DIR})
  if(VESTAMOR_TEST_PCH)
    vestamor_test_pch(${name})
  endif()
  if(VESTAMOR_UNITY_TESTS)
    # Eight files a unit: their shared headers are read and their inline functions compiled once
    # instead of eight times. So a name local to one test file differs from those of the other
    # files of its program. GCC warns of every fixture in an unnamed namespace of an included file.
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    target_compile_options(${name} PRIVATE -Wno-subobject-linkage)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  vestamor_time_limit(T_TIMEOUT ${T_TIMEOUT})
  vestamor_time_limit(discovery 60)
  # Tests given longer limits start first (CTest runs the costliest first), so that a clean run
  # does not end waiting on them alone.
  set(properties TIMEOUT ${T_TIMEOUT} COST ${T_TIMEOUT})
  if(T_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  if(T_BY_SUITE)
    set(include ${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake)
    string(CONCAT content
           "set(name [==[${name}]==])\nset(program [==[$<TARGET_FILE:${name}>]==])\n"
           "set(list [==[${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake]==])\n"
           "set(folder [==[${CMAKE_CURRENT_BINARY_DIR}]==])\nset(discovery ${discovery})\n"
           "set(limit_per_test ${T_TIMEOUT})\nset(scale ${VESTAMOR_TEST_TIME_SCALE})\n"
           "set(times [==[${PROJECT_SOURCE_DIR}/cmake/VestamorSuiteTimes.txt]==])\n"
           "set(properties [==[${T_RESOURCE_LOCK}]==])\n"
           "if(properties)\n  set(properties RESOURCE_LOCK \${properties})\nendif()\n"
           "include([==[${PROJECT_SOURCE_DIR}/cmake/VestamorSuites.cmake]==])\n")
    file(GENERATE OUTPUT ${include} CONTENT "${content}")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include})
    return()
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT ${discovery} PROPERTIES ${properties}
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

# vestamor_benchmark(<name> [MODULES ...] [LIBS ...]): one Google Benchmark executable.
function(vestamor_benchmark name)
  cmake_parse_arguments(B "" "" "MODULES;LIBS" ${ARGN})
  if(NOT TARGET benchmark::benchmark)
    return()
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources})
  # The benchmarks' own helpers: "support/..." under benchmarks/.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/benchmarks)
  vestamor_link_modules(${name} ${B_MODULES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
