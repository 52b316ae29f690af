# The syntax-colouring editor's portable scanner: tokens, keyword lists and the cached
# block-comment state of each line.
target_sources(tess_editing_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/syntax_scanner.cpp)
