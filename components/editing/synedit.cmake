# The syntax-colouring editor (Win32) over the editor control and the portable scanner,
# the editor preferences applied to it, and the editor control behind the access
# layer's editor interface.
if(WIN32)
  add_library(tess_synedit STATIC ${CMAKE_CURRENT_LIST_DIR}/synedit.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/editor_prefs.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/editor_control_access.cpp)
  target_include_directories(tess_synedit PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_synedit PUBLIC tess_editor_control tess_services)
endif()
