# The table grid: containers, rows and columns, layout (both builds); the table window
# under Wine.
tess_add_test(test_table_grid_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/grid_storage_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/table_layout_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/cell_text_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/cell_store_test.cpp
  LIBS tess_table_grid_core)
if(WIN32)
  tess_add_test(test_table_grid_win
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_win_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/table_cells_win_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_table_grid tess_resources)
  set_tests_properties(test_table_grid_win PROPERTIES RUN_SERIAL TRUE)
  # Not a test: a form with a table, for screenshots.
  add_executable(table_grid_show WIN32 ${CMAKE_CURRENT_LIST_DIR}/table_grid_show.cpp)
  target_link_libraries(table_grid_show PRIVATE tess_table_grid tess_resources)
endif()
