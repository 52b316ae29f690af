# The table grid's navigation: the active cell, commands, keys, mouse operations and the
# selection are portable; the window's messages for them are Win32.
target_sources(tess_table_grid_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tablenavigation.cpp)
if(WIN32)
  target_sources(tess_table_grid PRIVATE ${CMAKE_CURRENT_LIST_DIR}/table_navigation.cpp)
endif()
