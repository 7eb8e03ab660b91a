# Suspend, resume and shutdown through systemd-logind on the system bus.
add_library(cellwarden_qt_logind STATIC
  ${CMAKE_CURRENT_LIST_DIR}/logind.cpp
  ${CMAKE_CURRENT_LIST_DIR}/logind.h
)
target_include_directories(cellwarden_qt_logind PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(cellwarden_qt_logind PUBLIC cellwarden_texts Qt6::Core Qt6::DBus)

if(CELLWARDEN_TESTS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/qt/logind ${CMAKE_CURRENT_BINARY_DIR}/logind_tests)
endif()
