# The table grid's editing state, events, private messages and stream form.
if(WIN32)
  target_sources(tess_table_grid PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/table_editing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table_stream.cpp)
endif()
