# The editor control's input, published properties and events (Win32).
if(WIN32)
  target_sources(tess_editor_control PRIVATE ${CMAKE_CURRENT_LIST_DIR}/editor_input.cpp
                                             ${CMAKE_CURRENT_LIST_DIR}/editor_props.cpp)
  target_link_libraries(tess_editor_control PUBLIC tess_editor)
endif()
