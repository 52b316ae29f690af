# Tests of the decoration and docking components: their arithmetic in both builds, the
# controls through real windows under Wine.
tess_add_test(test_decoration_geometry
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_decoration_geometry.cpp
  LIBS tess_decoration_core)
if(WIN32)
  tess_add_test(test_decoration_controls
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_splitter_buttons.cpp
            ${CMAKE_CURRENT_LIST_DIR}/test_dockbar.cpp
            ${CMAKE_CURRENT_LIST_DIR}/test_captionbar.cpp
            ${CMAKE_CURRENT_LIST_DIR}/test_labeleffect.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_decoration tess_resources)
  # Capture, focus and activation belong to the whole Wine desktop.
  set_tests_properties(test_decoration_controls PROPERTIES RUN_SERIAL TRUE)
endif()
# Shows the components in one state each, for tools/decoration-shots.
if(WIN32)
  add_executable(decoration_demo WIN32 ${CMAKE_CURRENT_LIST_DIR}/decoration_demo.cpp)
  target_link_libraries(decoration_demo PRIVATE tess_decoration tess_resources)
  target_include_directories(decoration_demo PRIVATE ${PROJECT_SOURCE_DIR})
endif()
