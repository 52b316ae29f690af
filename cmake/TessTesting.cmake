# The corpus of real PL/SQL and SQL sources (tests/corpus.h reads it).
set(TESS_PLSQL_DATA ${PROJECT_SOURCE_DIR}/tests/data/plsql)

# tess_add_test(NAME SOURCES a.cpp ... LIBS lib ...)
# One CTest test per test executable: under Wine every process start costs, so the
# cases of one executable run in one process.  In the windows build CTest prefixes the
# command with the cross-compiling emulator (tools/wine-run).  A Win32 test runs on the
# poisoned heap (tests/framework/win/poisoned_heap.h), where no sanitizer runs: a freed
# object that is read again faults, one written to is found.
function(tess_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    list(APPEND T_SOURCES ${PROJECT_SOURCE_DIR}/tests/framework/win/poisoned_heap.cpp)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE TESS_PLSQL_DATA="${TESS_PLSQL_DATA}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# tess_add_bench(NAME SOURCES a.cpp ... LIBS lib ...): a benchmark executable that
# prints "figure <name> <value> <unit>" lines; ./bench runs every bench_* target.
function(tess_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE TESS_PLSQL_DATA="${TESS_PLSQL_DATA}")
endfunction()

# tess_use_test_client_library(TARGET): the program loads the test build of the client
# library (the 22 entry points and the test control): it is built into the library's test
# folder, beside it, and a test runs there.
function(tess_use_test_client_library target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TESS_TEST_CLIENT_DIR})
  add_dependencies(${target} ora73test)
  if(TEST ${target})
    set_tests_properties(${target} PROPERTIES WORKING_DIRECTORY ${TESS_TEST_CLIENT_DIR})
  endif()
endfunction()
