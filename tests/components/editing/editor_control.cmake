# The editor control through real windows under Wine.
if(WIN32)
  tess_add_test(test_editor_control
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_control_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_editor_control tess_resources)
  # Focus, the caret and the clipboard belong to the whole (Wine) desktop.
  set_tests_properties(test_editor_control PROPERTIES RUN_SERIAL TRUE)
endif()
# Shows the editor, for tools/screenshot.
if(WIN32)
  add_executable(editor_demo WIN32 ${CMAKE_CURRENT_LIST_DIR}/editor_demo.cpp)
  target_link_libraries(editor_demo PRIVATE tess_editor_control tess_resources)
  target_include_directories(editor_demo PRIVATE ${PROJECT_SOURCE_DIR})
endif()
