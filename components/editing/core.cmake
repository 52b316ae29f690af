# The component core.  The portable part (string routines, search, the string table,
# exceptions, key-command tables, the timer pool's arithmetic, colour pairs) is built in
# both builds; the Win32 part (carets, the controller, the control base, the pool's window
# timer) only in the windows build.
add_library(tess_editing_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/strutils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmsearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/componentstrings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/exceptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/timerpool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/colors.cpp)
target_include_directories(tess_editing_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tess_editing_core PUBLIC tess_framework_core tess_platform)

if(WIN32)
  add_library(tess_editing STATIC
    ${CMAKE_CURRENT_LIST_DIR}/keyboard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/timerwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/carets.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controller.cpp)
  target_include_directories(tess_editing PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_editing PUBLIC tess_editing_core tess_framework)
endif()
