# The table grid's editing, events, private messages and stream form, under Wine.
if(WIN32)
  tess_add_test(test_table_editing
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_editing_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/table_stream_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_table_grid tess_resources)
  set_tests_properties(test_table_editing PROPERTIES RUN_SERIAL TRUE)
endif()
