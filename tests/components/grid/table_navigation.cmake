# The table's navigation, keys, mouse operations and selection (both builds).
tess_add_test(test_table_navigation
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_navigation_test.cpp
  LIBS tess_table_grid_core)
if(WIN32)
  tess_add_test(test_table_navigation_win
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_navigation_win_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_table_grid tess_resources)
  set_tests_properties(test_table_navigation_win PROPERTIES RUN_SERIAL TRUE)
endif()
if(WIN32)
  # Not a test: a table with a selection, for screenshots.
  add_executable(table_navigation_show WIN32 ${CMAKE_CURRENT_LIST_DIR}/table_navigation_show.cpp)
  target_link_libraries(table_navigation_show PRIVATE tess_table_grid tess_resources)
endif()
