#!/usr/bin/env bash
# Where the user left the main window and the log viewer (with its size),
# they come back at the next run.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

qe_write_ini 'Cscreen.Sshowtasktray = 1'
qe_start
qe_wait_caption '^100%' 20
qe_show_main
qe_open_log_viewer
main=$QE_MAIN viewer=$QE_VIEWER

place() { xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'; }
# Moved and sized as a user would, through the window manager, which takes
# its time: until both windows are where they were sent.
main_at=$(place "$main") viewer_at=$(place "$viewer")
xdotool windowmove "$main" 300 120
xdotool windowmove "$viewer" 100 500
xdotool windowsize "$viewer" 640 220
moved() {
  main_before=$(place "$main") viewer_before=$(place "$viewer")
  [ "$main_before" != "$main_at" ] && [ "${viewer_before% * *}" != "${viewer_at% * *}" ] &&
    [ "${viewer_before#* * }" != "${viewer_at#* * }" ]
}
qe_until 10 "the window manager did not move the windows: main at $(place "$main"), viewer at $(place "$viewer")" moved
qe_log "main at $main_before, viewer at $viewer_before"

$QE_TRAY context
qe_until 10 "no menu popped up" bash -c "[ \$(xdotool search --onlyvisible --pid $QE_PID 2>/dev/null | wc -l) -ge 3 ]"
xdotool key Up Return
qe_wait_exit 10

qe_start
qe_wait_caption '^100%' 20
qe_show_main
qe_open_log_viewer
main=$QE_MAIN viewer=$QE_VIEWER
back() { [ "$(place "$main")" = "$main_before" ] && [ "$(place "$viewer")" = "$viewer_before" ]; }
wine_wait_for "$(qe_bound 10)" back ||
  qe_fail "the windows came back at $(place "$main") and $(place "$viewer"), not $main_before and $viewer_before"
qe_log "passed"
