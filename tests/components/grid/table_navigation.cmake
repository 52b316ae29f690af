# The table's navigation, keys, mouse operations and selection (both builds).
tess_add_test(test_table_navigation
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_navigation_test.cpp
  LIBS tess_table_grid_core)
