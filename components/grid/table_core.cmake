# The table grid's common part.  The portable core (shared table types, the cell ancestor
# and the resolution of stored cell names) is built in both builds; the table ancestor, a
# control, only in the windows build.
add_library(tess_grid_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/tabletypes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cellancestor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cellnames.cpp)
target_include_directories(tess_grid_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tess_grid_core PUBLIC tess_editing_core tess_framework_core)

if(WIN32)
  add_library(tess_grid STATIC ${CMAKE_CURRENT_LIST_DIR}/tableancestor.cpp)
  target_include_directories(tess_grid PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_grid PUBLIC tess_grid_core tess_editing)
endif()
