#!/usr/bin/env bash
# A second start ends at once with exit code 0, writing nothing, and the
# first one's main window comes up (also from minimised) and takes the
# focus; one that cannot reach the first says so and ends with an error; a
# start after the first was killed runs.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

qe_write_ini "Cscreen.Sshowtasktray = 1"
qe_start
qe_wait_caption '^100%' 20
first=$QE_PID
main=$(qe_main_window)
second_start() {
  ( cd "$QE_CWD" && exec "$QE_PROGRAM/celwrd" ) >>"$QE_WORK/second.log" 2>&1 &
  WINE_PID=$!
  wine_wait_exit 30 || qe_fail "the second start is still running after 30 s"
  [ "$WINE_STATUS" = 0 ] || qe_fail "the second start ended with $WINE_STATUS"
}
iconic() { xprop -id "$main" WM_STATE | grep -q Iconic; }

# Put away at start: the user started it again to see it.
qe_until 10 "the main window did not start minimised" iconic
second_start
qe_until 5 "a second start left the main window minimised" bash -c "! xprop -id $main WM_STATE | grep -q Iconic"

# Shown, it takes the focus back from another window.
qe_show_main
# The log viewer ("見る(&L)") takes the focus; the second start gives it to
# the main window, not the viewer.
qe_open_log_viewer
viewer=$QE_VIEWER
qe_until 5 "the log viewer did not take the focus" bash -c "[ \"\$(xdotool getwindowfocus)\" = $viewer ]"
second_start
qe_until 5 "the first one's main window did not take the focus" bash -c "[ \"\$(xdotool getwindowfocus)\" = $main ]"
cmp -s "$QE_PROGRAM/celwrd.INI" <(printf "%s\r\n" "Cscreen.Sshowtasktray = 1") || qe_fail "a second start wrote the settings file"
wine_pid_gone "$first" && qe_fail "the first one ended"

# A first that cannot answer (stopped): a second start says so and ends
# with an error, not with 0 as if the window had come up.
kill -STOP "$first"
( cd "$QE_CWD" && exec "$QE_PROGRAM/celwrd" ) >"$QE_WORK/unanswered.log" 2>&1 &
WINE_PID=$!
wine_wait_exit 30 || { kill -CONT "$first"; qe_fail "the unanswered second start is still running after 30 s"; }
kill -CONT "$first"
[ "$WINE_STATUS" != 0 ] || qe_fail "a second start that reached nobody ended with 0"
grep -q 'could not be asked' "$QE_WORK/unanswered.log" ||
  qe_fail "a second start that reached nobody did not say so: $(cat "$QE_WORK/unanswered.log")"

# Killed, the first leaves its socket behind but not its lock.
kill -KILL "$first"
wait "$first" 2>/dev/null
QE_PID=
qe_start
qe_wait_caption '^100%' 20
qe_log "passed"
