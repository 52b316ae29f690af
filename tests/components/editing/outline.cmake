# The outline controls under Wine.
if(WIN32)
  tess_add_test(test_outline_controls
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_outlines.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_outline_controls tess_resources)
  set_tests_properties(test_outline_controls PROPERTIES RUN_SERIAL TRUE)
endif()
