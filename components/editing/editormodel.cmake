# The editor's portable model, built in both builds.
add_library(tess_editor_model STATIC
  ${CMAKE_CURRENT_LIST_DIR}/paratext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/undobuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/paralist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editormodel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/textfile.cpp)
target_include_directories(tess_editor_model PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tess_editor_model PUBLIC tess_editing_core)
