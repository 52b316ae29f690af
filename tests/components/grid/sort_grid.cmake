# The sort, separated text, integer list and prefix lookup in both builds; the grid
# controls and the type-ahead lists under Wine.
tess_add_test(test_grid_sort_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_gridsort.cpp ${CMAKE_CURRENT_LIST_DIR}/test_grid_lists.cpp
  LIBS tess_grid_sort_core)
if(WIN32)
  tess_add_test(test_sort_grid
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sortgrid.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_grid_sort tess_resources)
  set_tests_properties(test_sort_grid PROPERTIES RUN_SERIAL TRUE)
endif()
