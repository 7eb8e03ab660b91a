#!/usr/bin/env bash
# The dialogs' manners, as on Windows: dialogs that the settings file
# recorded hidden open shown; the version box blocks the main window only;
# a click back into the main window keeps an unapplied display item, while
# an activation without a click shows the working copy again.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

qe_write_ini 'Cscreen.Sshowtasktray = 1' 'Cbattery.Scheckinterval = 200' \
  'WPOS_Dlg_Log = 40,420,500,200,4' 'WPOS_Dlg_Sound = 20,20,0,0,5'
power_set "$QE_POWER" 0 Discharging 37
qe_start '-$'
qe_wait_caption '^37%' 20
qe_show_main
main=$QE_MAIN
gone() { [ -z "$(qe_window_named "$1")" ]; }

# Recorded hidden (states 4 and 5), both open shown.
qe_open_log_viewer
viewer=$QE_VIEWER
qe_keys "$main" alt+s
qe_until 10 "the sound dialog did not show" bash -c "xdotool search --onlyvisible --name '^ｻｳﾝﾄﾞﾌｧｲﾙの設定$' >/dev/null"
qe_keys "$(qe_window_named 'ｻｳﾝﾄﾞﾌｧｲﾙの設定')" Escape
qe_until 5 "Escape did not cancel the sound dialog" gone 'ｻｳﾝﾄﾞﾌｧｲﾙの設定'

# The version box leaves the log viewer usable.
qe_keys "$main" alt+v
qe_until 10 "the version box did not open" bash -c "xdotool search --onlyvisible --name '^Cellwarden Version$' >/dev/null"
qe_keys "$viewer" Escape
qe_until 5 "the version box blocked the log viewer" gone 'ﾛｸﾞ'
qe_keys "$(qe_window_named 'Cellwarden Version')" Return
qe_until 5 "the version box did not close" gone 'Cellwarden Version'

# The first display item is chosen in its list (not applied), the focus
# goes to the log viewer, and comes back; the trace ("-$") tells how.
windows_up() { [ "$(xdotool search --onlyvisible --pid "$QE_PID" 2>/dev/null | wc -l)" -ge "$1" ]; }
choose_first_item() {
  xdotool mousemove --window "$main" 60 46 click 1
  qe_until 5 "the list did not open" windows_up 3
  xdotool key --clearmodifiers "$@" Return
}
away_to_viewer() {
  qe_open_log_viewer
  xdotool windowmove "$QE_VIEWER" 420 480  # off the main window's lists
  qe_until 5 "the log viewer did not take the focus" bash -c "[ \"\$(xdotool getwindowfocus)\" = $QE_VIEWER ]"
}
activated_by() { grep -a '^ACTIVATE' "$QE_PROGRAM/CELWRDDB.LOG" | tail -n 1 | grep -q "^ACTIVATE 0000000$1 "; }

# Back by a click on an empty spot: the choice (hidden) stays, and OK
# applies it.
away_to_viewer
choose_first_item Home
qe_keys "$QE_VIEWER" Right
xdotool mousemove --window "$main" 250 120 click 1
qe_until 5 "no activation by a click traced" activated_by 2
xdotool key Return
qe_until 10 "a click back dropped the unapplied item: '$(qe_caption)'" bash -c "! xdotool getwindowname $main | grep -q '^37%'"

# Back without a click: the list shows the working copy (hidden) again,
# so OK leaves the item hidden.
qe_show_main
away_to_viewer
choose_first_item Home Down
qe_keys "$QE_VIEWER" Right
xdotool windowactivate --sync "$main"
qe_until 5 "no activation without a click traced" activated_by 1
xdotool key Return
qe_until 10 "OK did not put the main window away" bash -c "xprop -id $main WM_STATE | grep -q Iconic"
! xdotool getwindowname "$main" | grep -q '^37%' || qe_fail "an activation without a click kept the unapplied item"
qe_log "passed"
