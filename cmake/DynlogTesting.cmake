# GoogleTest from the sources Debian's googletest package installs, built with our own toolchain.
set(DYNLOG_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${DYNLOG_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main)
  # GoogleTest's own code is not ours to keep warning-free.
  target_compile_options(${t} PRIVATE -w)
endforeach()

# dynlog_own_prefix(test): the test runs in a Wine prefix of its own, a copy of the prepared one
# that a fixture makes before it starts. Suites that link the simulated unit as a COM port (the
# prefix's ports/comN) then run side by side.
function(dynlog_own_prefix test)
  set(prefix ${CMAKE_BINARY_DIR}/wine-suites/${test})
  add_test(NAME ${test}_prefix
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh --copy-to ${prefix})
  set_tests_properties(${test}_prefix PROPERTIES FIXTURES_SETUP ${test}_prefix)
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED ${test}_prefix)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT DYNLOG_WINEPREFIX=${prefix})
endfunction()

# dynlog_add_test(name SOURCES ... [LIBS ...] [LABELS ...] [RESOURCE_LOCK ...] [ENVIRONMENT ...]
#                 [TIMEOUT s] [UNITS] [SHARDS n] [COST c])
# One executable per module keeps the number of Wine starts low. Under the win32 preset CTest
# runs it through the Wine launcher (CMAKE_CROSSCOMPILING_EMULATOR). UNITS: the test program asks
# for simulated units (tests/support/simulatedunit.h); it runs under the Linux side that starts
# them, in a Wine prefix of its own. SHARDS: a long program runs as n tests side by side
# (name_1 ... name_n), each one GoogleTest's share of its cases and, with UNITS, a prefix of its
# own. COST: a long test starts before the short ones, before CTest has measured it.
function(dynlog_add_test name)
  cmake_parse_arguments(T "UNITS" "TIMEOUT;SHARDS;COST" "SOURCES;LIBS;LABELS;RESOURCE_LOCK;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  dynlog_options(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
  # The shared helpers, as "support/...".
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(WIN32)
    # Console subsystem: the runner prints to standard output.
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  if(T_UNITS)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
      "${Python3_EXECUTABLE};${PROJECT_SOURCE_DIR}/tests/support/simulatedunit.py;${DYNLOG_KM470SIM};${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  if(NOT T_SHARDS)
    set(T_SHARDS 1)
  endif()
  math(EXPR last "${T_SHARDS} - 1")
  foreach(shard RANGE ${last})
    set(test ${name})
    set(environment "DYNLOG_SOURCE_DIR=${PROJECT_SOURCE_DIR};DYNLOG_BINARY_DIR=${PROJECT_BINARY_DIR}")
    if(T_SHARDS GREATER 1)
      math(EXPR number "${shard} + 1")
      set(test ${name}_${number})
      list(APPEND environment GTEST_TOTAL_SHARDS=${T_SHARDS} GTEST_SHARD_INDEX=${shard})
    endif()
    add_test(NAME ${test} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${test} PROPERTIES
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      ENVIRONMENT "${environment};${T_ENVIRONMENT}")
    # Under Wine a test program that crashes may still end with exit code 0: a run counts only
    # when GoogleTest itself reports it passed, and never when it reports a failure.
    set_tests_properties(${test} PROPERTIES
      PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ test"
      FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
    if(T_LABELS)
      set_tests_properties(${test} PROPERTIES LABELS "${T_LABELS}")
    endif()
    if(T_RESOURCE_LOCK)
      set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
    endif()
    if(T_COST)
      set_tests_properties(${test} PROPERTIES COST ${T_COST})
    endif()
    if(T_TIMEOUT)
      set_tests_properties(${test} PROPERTIES TIMEOUT ${T_TIMEOUT})
    else()
      set_tests_properties(${test} PROPERTIES TIMEOUT 300)
    endif()
    if(T_UNITS)
      dynlog_own_prefix(${test})
    endif()
  endforeach()
endfunction()

# The simulated unit for the tests under Wine: km470sim from the native build.
set(DYNLOG_KM470SIM ${PROJECT_SOURCE_DIR}/build/native/tools/km470sim/km470sim
    CACHE FILEPATH "km470sim from the native build, for the tests under Wine")
