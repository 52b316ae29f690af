# The table grid's stream data and redraw-lock notices (both builds); its editing,
# events, private messages and stream form under Wine.
tess_add_test(test_table_stream_data
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_stream_data_test.cpp
  LIBS tess_table_grid_core)
if(WIN32)
  tess_add_test(test_table_editing
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_editing_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/table_stream_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_table_grid tess_resources)
  set_tests_properties(test_table_editing PROPERTIES RUN_SERIAL TRUE)
endif()
if(WIN32)
  # Not a test: a table with a cell being edited, for screenshots.
  add_executable(table_editing_show WIN32 ${CMAKE_CURRENT_LIST_DIR}/table_editing_show.cpp)
  target_link_libraries(table_editing_show PRIVATE tess_table_grid tess_resources)
endif()
