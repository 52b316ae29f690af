# The entry fields' portable engine, tested in both builds.
tess_add_test(test_entry_fields
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/intlsup_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/entryfield_data_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/entryfield_values_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/entryfield_model_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/entryfield_edit_test.cpp
  LIBS tess_editing_core)

# The same settings read from the profile, under Wine.
if(WIN32)
  tess_add_test(test_entry_fields_win
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/intlprofile_test.cpp
    LIBS tess_editing_core)
  # The profile belongs to the whole prefix.
  set_tests_properties(test_entry_fields_win PROPERTIES RUN_SERIAL TRUE)
endif()

# The entry field's window under Wine.
if(WIN32)
  tess_add_test(test_entry_field_control
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/entryfield_control_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/framework/win/helpers.cpp
    LIBS tess_entry_fields tess_resources)
  # Focus, the clipboard and the profile belong to the whole (Wine) desktop.
  set_tests_properties(test_entry_field_control PROPERTIES RUN_SERIAL TRUE)
endif()
# Shows the fields, for tools/screenshot.
if(WIN32)
  add_executable(entryfield_demo WIN32 ${CMAKE_CURRENT_LIST_DIR}/entryfield_demo.cpp)
  target_link_libraries(entryfield_demo PRIVATE tess_entry_fields tess_resources)
  target_include_directories(entryfield_demo PRIVATE ${PROJECT_SOURCE_DIR})
endif()
