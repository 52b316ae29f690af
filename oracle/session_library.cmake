# The access layer's session and query objects, the word scanner and text routines, the
# data-dictionary routines, the statement services and the shell's services that read a
# session's state.  Portable; both builds.  Above the database frame (tess_oracle); it
# reaches the shell only through services/.
add_library(tess_oracle_session STATIC
  ${CMAKE_CURRENT_LIST_DIR}/sql_scanner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ora_ip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session_services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/query_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/statement_services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dictionary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dictionary_cache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_lists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stored_programs.cpp)
target_include_directories(tess_oracle_session PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tess_oracle_session PUBLIC tess_oracle tess_services tess_framework_core)
