# End-to-end tests of the program itself: each in a private mount namespace
# with a fake battery, its own X server with a window manager, a session
# bus with a tray and a system bus with a mock logind (tests/qt/e2e).
if(CELLWARDEN_TESTS AND NOT CELLWARDEN_SANITIZE)
  foreach(test caption_and_tray single_instance suspend_and_session dialogs placements log_markers)
    string(REPLACE "_" ";" words ${test})
    set(name "")
    foreach(word ${words})
      string(SUBSTRING ${word} 0 1 first)
      string(TOUPPER ${first} first)
      string(SUBSTRING ${word} 1 -1 rest)
      string(APPEND name ${first}${rest})
    endforeach()
    add_test(NAME QtE2E.${name} COMMAND bash ${PROJECT_SOURCE_DIR}/tests/qt/e2e/${test}.sh)
    set_tests_properties(QtE2E.${name} PROPERTIES TIMEOUT 120
      ENVIRONMENT "CELLWARDEN_BIN=${CMAKE_BINARY_DIR}/celwrd;QE_WORK=${CMAKE_CURRENT_BINARY_DIR}/e2e/${test}")
  endforeach()
endif()
