# The program's icons as QIcons, from the icon generator, and the tray icon.
add_library(cellwarden_qt_tray STATIC
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_watch.cpp
)
target_include_directories(cellwarden_qt_tray PUBLIC ${PROJECT_SOURCE_DIR})
find_library(XCB_LIBRARY xcb REQUIRED)
target_link_libraries(cellwarden_qt_tray PUBLIC Qt6::Widgets PRIVATE Qt6::DBus celwrd_icon_art ${XCB_LIBRARY})

if(CELLWARDEN_TESTS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/qt/tray ${CMAKE_BINARY_DIR}/tests/qt/tray)
endif()
