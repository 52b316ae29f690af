# The table grid.  Portable: its containers, the row and column lists and the layout of
# what is on screen, the per-cell attribute store and the option rules.  Win32: the colour
# set, pens, glyph strips, the cell base, the text, heading, string, bitmap, glyph,
# check-box and combo-box cells, the table window.
add_library(tess_table_grid_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/sparsearray.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cellarray.cpp
  ${CMAKE_CURRENT_LIST_DIR}/selectionlist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tablerows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tablelayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/celltext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tablecellstore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tableoptions.cpp)
target_include_directories(tess_table_grid_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tess_table_grid_core PUBLIC tess_grid_core)
if(WIN32)
  add_library(tess_table_grid STATIC
    ${CMAKE_CURRENT_LIST_DIR}/tablecells.cpp
    ${CMAKE_CURRENT_LIST_DIR}/stringcell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tableglyphs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/glyphcells.cpp
    ${CMAKE_CURRENT_LIST_DIR}/combocell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cellclasses.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table.cpp)
  target_include_directories(tess_table_grid PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_table_grid PUBLIC tess_table_grid_core tess_grid)
endif()
