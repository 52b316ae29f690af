# The syntax scanner, on the PL/SQL corpus with the program's keyword files.
tess_add_test(test_syntax_scanner SOURCES ${CMAKE_CURRENT_LIST_DIR}/syntax_scanner_test.cpp
              LIBS tess_editing_core)
target_compile_definitions(test_syntax_scanner PRIVATE
                           TESS_KWD_DIR="${PROJECT_SOURCE_DIR}/resources")

# The syntax-colouring editor through real windows under Wine.
if(WIN32)
  tess_add_test(test_synedit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/synedit_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_synedit tess_resources)
  target_compile_definitions(test_synedit PRIVATE TESS_KWD_DIR="${PROJECT_SOURCE_DIR}/resources")
  # Focus and the caret belong to the whole (Wine) desktop.
  set_tests_properties(test_synedit PROPERTIES RUN_SERIAL TRUE)
endif()

# The editor preferences and the editor behind the access layer's interface, under Wine.
if(WIN32)
  tess_add_test(test_editor_prefs
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_prefs_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_synedit tess_oracle_session tess_resources)
  set_tests_properties(test_editor_prefs PROPERTIES RUN_SERIAL TRUE)
endif()

# Shows the syntax-colouring editor, for tools/screenshot.
if(WIN32)
  add_executable(synedit_demo WIN32 ${CMAKE_CURRENT_LIST_DIR}/synedit_demo.cpp)
  target_link_libraries(synedit_demo PRIVATE tess_synedit tess_resources)
  target_include_directories(synedit_demo PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(synedit_demo PRIVATE
    TESS_KWD_DIR="Z:${PROJECT_SOURCE_DIR}/resources"
    TESS_DEMO_FILE="Z:${PROJECT_SOURCE_DIR}/tests/data/plsql/alexandria/ora/xml_util_pkg.pkb")
endif()
