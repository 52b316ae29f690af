# The entry fields' portable engine: international settings, user picture data, picture
# masks and value conversions.  The settings come from the profile on Windows.
target_sources(tess_editing_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/intlsup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/userdata.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entryfield_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entryfield_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entryfield_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entryfield_edit.cpp)
if(WIN32)
  target_sources(tess_editing_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/intlsource_profile.cpp)
else()
  target_sources(tess_editing_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/intlsource_default.cpp)
endif()

# The entry field's window and the simple field (Win32).
if(WIN32)
  add_library(tess_entry_fields STATIC
    ${CMAKE_CURRENT_LIST_DIR}/entryfield.cpp
    ${CMAKE_CURRENT_LIST_DIR}/simplefield.cpp)
  target_include_directories(tess_entry_fields PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tess_entry_fields PUBLIC tess_editing)
endif()
