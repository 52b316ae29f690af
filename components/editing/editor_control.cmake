# The editor control (Win32): a window over the editor's model; its painting is a file
# of its own.
if(WIN32)
  add_library(tess_editor_control STATIC ${CMAKE_CURRENT_LIST_DIR}/editor.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/editor_paint.cpp)
  target_include_directories(tess_editor_control PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_editor_control PUBLIC tess_editor_model tess_editor tess_editing)
endif()
