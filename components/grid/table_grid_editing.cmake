# The table grid's editing state, events, private messages and stream form.  The rows'
# and columns' stream data are portable.
target_sources(tess_table_grid_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tablestreamdata.cpp)
if(WIN32)
  target_sources(tess_table_grid PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/table_editing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table_stream.cpp)
endif()
