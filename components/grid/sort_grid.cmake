# The sortable string grid, the integer list and the type-ahead lists.  The sort, the
# separated text, the integer list and the prefix lookup are portable (both builds);
# the controls are Win32.
add_library(tess_grid_sort_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/gridsort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/separatedtext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/integerlist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prefixindex.cpp)
target_include_directories(tess_grid_sort_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tess_grid_sort_core PUBLIC tess_framework_core)
if(WIN32)
  add_library(tess_grid_sort STATIC
    ${CMAKE_CURRENT_LIST_DIR}/sortgrid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/typeahead.cpp)
  target_include_directories(tess_grid_sort PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_grid_sort PUBLIC tess_grid_sort_core tess_framework)
endif()
