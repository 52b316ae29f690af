# The editor's portable model in both builds (round trips over the PL/SQL corpus); the
# fixed-pitch font list under Wine.
tess_add_test(test_editor_model
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/paralist_test.cpp ${CMAKE_CURRENT_LIST_DIR}/editormodel_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/textfile_test.cpp
  LIBS tess_editor_model)
target_compile_definitions(test_editor_model PRIVATE
                           TESS_EDITOR_CORPUS="${PROJECT_SOURCE_DIR}/tests/data/plsql")
if(WIN32)
  tess_add_test(test_editor_win SOURCES ${CMAKE_CURRENT_LIST_DIR}/fixedfont_test.cpp
                LIBS tess_editor)
endif()
