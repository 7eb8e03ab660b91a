# The program's icons as QIcons, from the icon generator, and the tray icon:
# a StatusNotifierItem on a libdbus connection of its own (Debian:
# libdbus-1-dev; Qt's D-Bus module links the same library).
pkg_check_modules(DBUS1 REQUIRED IMPORTED_TARGET dbus-1)
add_library(cellwarden_qt_tray STATIC
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dbus_menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/status_notifier_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_watch.cpp
)
target_include_directories(cellwarden_qt_tray PUBLIC ${PROJECT_SOURCE_DIR})
find_library(XCB_LIBRARY xcb REQUIRED)
target_link_libraries(cellwarden_qt_tray PUBLIC Qt6::Widgets PRIVATE Qt6::DBus PkgConfig::DBUS1 celwrd_icon_art
  ${XCB_LIBRARY} Threads::Threads)

if(CELLWARDEN_TESTS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/qt/tray ${CMAKE_BINARY_DIR}/tests/qt/tray)
endif()
