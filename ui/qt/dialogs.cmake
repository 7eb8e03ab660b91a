# The three dialogs on Qt widgets, from the layouts of the Windows templates.
# Objects, not an archive: the portable dialogs call back into them.
add_library(cellwarden_qt_dialogs OBJECT
  ${CMAKE_CURRENT_LIST_DIR}/dialog_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_chooser_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pointer_state.cpp
)
# The pointer's state is asked of the X server itself (libxcb, under Qt's own).
find_library(XCB_LIBRARY xcb REQUIRED)
target_link_libraries(cellwarden_qt_dialogs PUBLIC cellwarden_dialogs cellwarden_dialog_layouts Qt6::Widgets ${XCB_LIBRARY})

if(CELLWARDEN_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(qt_dialogs_tests ${PROJECT_SOURCE_DIR}/tests/qt/dialogs/qt_dialogs_test.cpp)
  target_link_libraries(qt_dialogs_tests PRIVATE cellwarden_qt_dialogs cellwarden_sim_front_end cellwarden_dialogs
    cellwarden_sim GTest::gtest)
  gtest_discover_tests(qt_dialogs_tests TEST_PREFIX "QtDialogs." DISCOVERY_TIMEOUT 30
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 60)
endif()
