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

# dynlog_add_test(name SOURCES ... [LIBS ...] [LABELS ...] [RESOURCE_LOCK ...] [ENVIRONMENT ...]
#                 [TIMEOUT s])
# One executable per module keeps the number of Wine starts low. Under the win32 preset CTest
# runs it through the Wine launcher (CMAKE_CROSSCOMPILING_EMULATOR).
function(dynlog_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;RESOURCE_LOCK;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  dynlog_options(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
  if(WIN32)
    # Console subsystem: the runner prints to standard output.
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    ENVIRONMENT "DYNLOG_SOURCE_DIR=${PROJECT_SOURCE_DIR};DYNLOG_BINARY_DIR=${PROJECT_BINARY_DIR};${T_ENVIRONMENT}")
  # Under Wine a test program that crashes may still end with exit code 0: a run counts only when
  # GoogleTest itself reports it passed, and never when it reports a failure.
  set_tests_properties(${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ test"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(T_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
  if(T_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# The simulated unit for the tests under Wine: km470sim from the native build.
set(DYNLOG_KM470SIM ${PROJECT_SOURCE_DIR}/build/native/tools/km470sim/km470sim
    CACHE FILEPATH "km470sim from the native build, for the tests under Wine")
