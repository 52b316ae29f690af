# The outline controls: the set of selected values is portable (both builds); the
# controls are Win32.
add_library(tess_select_list STATIC ${CMAKE_CURRENT_LIST_DIR}/selectlist.cpp)
target_include_directories(tess_select_list PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tess_select_list PUBLIC tess_framework_core)
if(WIN32)
  add_library(tess_outline_controls STATIC ${CMAKE_CURRENT_LIST_DIR}/outlines.cpp)
  target_include_directories(tess_outline_controls PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_outline_controls PUBLIC tess_select_list tess_framework)
endif()
