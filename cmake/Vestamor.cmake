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
# variables, descriptors and plug-ins are never dropped by the linker.
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
  add_library(${name} STATIC ${sources} ${headers})
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

# vestamor_test(<name> [MODULES ...] [LIBS ...]): one GoogleTest executable of every .cpp
# below the current folder, registered with CTest test by test.
function(vestamor_test name)
  cmake_parse_arguments(T "" "" "MODULES;LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  vestamor_link_modules(${name} ${T_MODULES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/sources ${PROJECT_SOURCE_DIR}/tests
                             ${CMAKE_CURRENT_SOURCE_DIR})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120
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
  vestamor_link_modules(${name} ${B_MODULES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
