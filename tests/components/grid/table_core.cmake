# The table grid's portable core in both builds; the table ancestor under Wine.
tess_add_test(test_grid_core SOURCES ${CMAKE_CURRENT_LIST_DIR}/grid_core_test.cpp
              LIBS tess_grid_core)
if(WIN32)
  tess_add_test(test_grid_win
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/grid_win_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_grid tess_resources)
  set_tests_properties(test_grid_win PROPERTIES RUN_SERIAL TRUE)
endif()
