# The editor control's input, events and published properties through real windows.
if(WIN32)
  tess_add_test(test_editor_input
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_input_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_editor_control tess_resources)
  # The mouse, focus, capture and timers belong to the whole (Wine) desktop.
  set_tests_properties(test_editor_input PROPERTIES RUN_SERIAL TRUE)
endif()
