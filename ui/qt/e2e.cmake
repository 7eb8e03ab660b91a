# End-to-end tests of the program itself: each in a private mount namespace
# with a fake battery, its own X server with a window manager, a session
# bus with a tray and a system bus with a mock logind (tests/qt/e2e).
# QtE2E.EndLeftovers runs after them (a fixture, so also after
# `ctest -R QtE2E.Something`) and fails when any of their processes is
# still running.
if(CELLWARDEN_TESTS AND NOT CELLWARDEN_SANITIZE)
  set(qt_e2e_work ${CMAKE_CURRENT_BINARY_DIR}/e2e)
  foreach(test caption_and_tray single_instance suspend_and_session dialogs placements
      end_while_waiting files_folder options_without_display logind_gone_while_asleep
      exit_with_dialogs first_start reachable activation_and_modality log_markers
      restored_by_window_manager health health_window english)
    string(REPLACE "_" ";" words ${test})
    set(name "")
    foreach(word ${words})
      string(SUBSTRING ${word} 0 1 first)
      string(TOUPPER ${first} first)
      string(SUBSTRING ${word} 1 -1 rest)
      string(APPEND name ${first}${rest})
    endforeach()
    add_test(NAME QtE2E.${name} COMMAND bash ${PROJECT_SOURCE_DIR}/tests/qt/e2e/${test}.sh)
    # The harness bounds each wait itself; the timeout is the last resort.
    set_tests_properties(QtE2E.${name} PROPERTIES TIMEOUT 240 FIXTURES_REQUIRED qt_e2e
      ENVIRONMENT "CELLWARDEN_BIN=${CMAKE_BINARY_DIR}/celwrd;QE_WORK=${qt_e2e_work}/${test}")
  endforeach()
  add_test(NAME QtE2E.EndLeftovers
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/e2e/end_leftovers.sh QE_WORK ${qt_e2e_work})
  set_tests_properties(QtE2E.EndLeftovers PROPERTIES FIXTURES_CLEANUP qt_e2e TIMEOUT 60)
endif()
