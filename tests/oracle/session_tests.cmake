# Tests of the session and query objects, the word scanner and text routines, the
# data-dictionary routines and the statement services.  The ones that talk to a database
# run against our own client library, each on a database it makes for itself, with the
# shell's recording services standing in for the windows.
tess_add_test(test_oracle_text SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sql_scanner.cpp
              ${CMAKE_CURRENT_LIST_DIR}/test_sql_text.cpp LIBS tess_oracle_session tess_shell_core)

if(TARGET ora73)
  foreach(t session dictionary dictionary_cache statement_services)
    tess_add_test(test_oracle_${t} SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_${t}.cpp
                  LIBS tess_oracle_session tess_shell_core)
    tess_use_test_client_library(test_oracle_${t})
  endforeach()
endif()

# The stored-program routines, on a database and on the PL/SQL corpus.
if(TARGET ora73)
  tess_add_test(test_oracle_stored_programs
                SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_stored_programs.cpp
                LIBS tess_oracle_session tess_shell_core)
  tess_use_test_client_library(test_oracle_stored_programs)
endif()

# Engine 0: under Wine against the automation server, registered by the test itself (the
# lock keeps the server's other tests from seeing it unregistered); natively without one.
if(TARGET ora73)
  tess_add_test(test_oracle_ole SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_ole_engine.cpp
                LIBS tess_oracle_session tess_shell_core)
  tess_use_test_client_library(test_oracle_ole)
  if(TARGET olesrv)
    add_dependencies(test_oracle_ole olesrv)
  endif()
  set_tests_properties(test_oracle_ole PROPERTIES RESOURCE_LOCK ole_server_registration)
endif()
