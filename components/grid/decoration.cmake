# Decoration and docking: effect labels, the caption-bar decoration, the splitter, the
# picture and repeat buttons and the dock bars.  Their arithmetic is portable (both
# builds); the controls are Win32 (windows build only).
add_library(tess_decoration_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/effect_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/caption_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/split_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dock_layout.cpp)
target_include_directories(tess_decoration_core PUBLIC ${PROJECT_SOURCE_DIR})

if(WIN32)
  add_library(tess_decoration STATIC
    ${CMAKE_CURRENT_LIST_DIR}/splitter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picturebutton.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dockbar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/captionbar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/labeleffect.cpp)
  target_link_libraries(tess_decoration PUBLIC tess_decoration_core tess_framework)
endif()
