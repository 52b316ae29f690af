# The editor's portable model, built in both builds.
add_library(tess_editor_model STATIC
  ${CMAKE_CURRENT_LIST_DIR}/paratext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/undobuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/paralist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editormodel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/textfile.cpp)
target_include_directories(tess_editor_model PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tess_editor_model PUBLIC tess_editing_core)

# The editor's Win32 parts.
if(WIN32)
  add_library(tess_editor STATIC ${CMAKE_CURRENT_LIST_DIR}/fixedfont.cpp)
  target_include_directories(tess_editor PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_editor PUBLIC tess_editor_model tess_editing)
endif()
