#!/usr/bin/env bash
# A second start leaves one program running: the second ends at once with
# exit code 0 and touches no file, and the first one's main window comes to
# the front (not its log viewer), shown normal also when it was put away.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

main() { e2e_driver windows | awk '$1 == "unowned" { print $3, $4 }'; }
second_start() {
  local started=$SECONDS status=0
  (cd "$E2E_CWD" && WINEDEBUG=$E2E_WINEDEBUG exec "${WINE[@]}" "$E2E_PROGRAM/celwrd.exe") >>"$E2E_WORK/wine.log" 2>&1 &
  WINE_PID=$!
  wine_wait_exit 60 || e2e_fail "the second instance did not end within 60 s"
  e2e_expect_eq 0 "$WINE_STATUS" "the second instance's exit code"
  e2e_log "the second instance ended after $((SECONDS - started)) s"
}

power_set "$E2E_POWER" 0 Discharging 50
e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
e2e_driver restore
e2e_driver log
e2e_driver --window ﾛｸﾞ caption >/dev/null || e2e_fail "the log viewer did not open"
viewer_in_front() { e2e_driver windows | grep -q '^owned visible normal foreground .* ﾛｸﾞ$'; }
e2e_until 5 "the log viewer did not come to the front" viewer_in_front

second_start
e2e_expect_eq "normal foreground" "$(main)" "the first instance's main window"
e2e_expect_eq 1 "$(e2e_driver windows | grep -c '^unowned ')" "main windows"
e2e_expect_files "$E2E_PROGRAM" celwrd.exe
e2e_expect_files "$E2E_CWD"

# Put away, it comes back normal and in front: the user started it again
# to see it.
e2e_driver press 2
minimised() { main | grep -q '^minimised '; }
e2e_until 5 "Cancel did not minimise the main window" minimised
second_start
e2e_expect_eq "normal foreground" "$(main)" "the first instance's main window, minimised before"

# "ﾀｽｸﾊﾞｰから隠す" without a tray icon: OK minimises, since hidden the window
# would have no way back, and it stays so over the display's refreshes.
shown() { e2e_driver windows | awk '$1 == "unowned" { print $2, $3 }'; }
e2e_driver click 10155
e2e_driver press 1
e2e_until 5 "OK did not put the main window away" minimised
e2e_wait_refreshes 2 10
e2e_expect_eq "visible minimised" "$(shown)" "the main window put away with no tray icon"
second_start
e2e_expect_eq "normal foreground" "$(main)" "the first instance's main window, put away before"

e2e_driver exit
e2e_wait_exit 20
e2e_expect_files "$E2E_PROGRAM" celwrd.exe celwrd.INI celwrd.LCK
