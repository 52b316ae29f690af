# The syntax scanner, on the PL/SQL corpus with the program's keyword files.
tess_add_test(test_syntax_scanner SOURCES ${CMAKE_CURRENT_LIST_DIR}/syntax_scanner_test.cpp
              LIBS tess_editing_core)
target_compile_definitions(test_syntax_scanner PRIVATE
                           TESS_KWD_DIR="${PROJECT_SOURCE_DIR}/resources")
