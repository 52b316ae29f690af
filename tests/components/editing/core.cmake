# The component core's portable part, tested in both builds.
tess_add_test(test_editing_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/strutils_test.cpp ${CMAKE_CURRENT_LIST_DIR}/commands_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/timerpool_test.cpp
  LIBS tess_editing_core)

# The Win32 side, through real windows under Wine.
if(WIN32)
  tess_add_test(test_editing_win
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/win_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_editing tess_resources)
  # Focus and the caret belong to the whole (Wine) desktop.
  set_tests_properties(test_editing_win PROPERTIES RUN_SERIAL TRUE)
endif()
