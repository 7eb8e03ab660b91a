# One program per user: a lock held for life and a Unix socket beside it.
add_library(cellwarden_qt_single_instance STATIC ${CMAKE_CURRENT_LIST_DIR}/single_instance.cpp)
target_include_directories(cellwarden_qt_single_instance PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(cellwarden_qt_single_instance PUBLIC Qt6::Core)

if(CELLWARDEN_TESTS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/qt/single_instance ${CMAKE_BINARY_DIR}/tests/qt/single_instance)
endif()
