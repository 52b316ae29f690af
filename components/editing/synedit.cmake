# The syntax-colouring editor (Win32) over the editor control and the portable scanner.
if(WIN32)
  add_library(tess_synedit STATIC ${CMAKE_CURRENT_LIST_DIR}/synedit.cpp)
  target_include_directories(tess_synedit PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_synedit PUBLIC tess_editor_control)
endif()
