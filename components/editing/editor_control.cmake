# The editor control (Win32): a window over the editor's model.
if(WIN32)
  add_library(tess_editor_control STATIC ${CMAKE_CURRENT_LIST_DIR}/editor.cpp)
  target_include_directories(tess_editor_control PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_editor_control PUBLIC tess_editor_model tess_editing)
endif()
