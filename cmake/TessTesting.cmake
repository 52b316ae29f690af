# tess_add_test(NAME SOURCES a.cpp ... LIBS lib ...)
# One CTest test per test executable: under Wine every process start costs, so the
# cases of one executable run in one process.  In the windows build CTest prefixes the
# command with the cross-compiling emulator (tools/wine-run).
function(tess_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
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
endfunction()

# The PL/SQL corpus for tests that read real text: the repository's copy when there is
# one, else the team's shared copy.
set(TESS_PLSQL_CORPUS "${PROJECT_SOURCE_DIR}/tests/data/plsql")
foreach(candidate "${PROJECT_SOURCE_DIR}/../shared/data/plsql"
                  "${PROJECT_SOURCE_DIR}/../../shared/data/plsql")
  if(NOT EXISTS "${TESS_PLSQL_CORPUS}")
    set(TESS_PLSQL_CORPUS "${candidate}")
  endif()
endforeach()
