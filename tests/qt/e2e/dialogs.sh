#!/usr/bin/env bash
# The three dialogs by the keyboard, as a user reaches them: the log viewer
# follows new lines; the sound dialog is modal to the main window only, so
# the log viewer stays usable beside it; Escape cancels each. With
# QE_PICTURES set to a directory, each dialog is photographed there.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

qe_write_ini 'Cscreen.Sshowtasktray = 1' 'Clogfile.Sneedsavelogfile = 1' 'Cbattery.Scheckinterval = 300' \
  'Cbattery.Stimedef1pdischarge = 72000'
power_set "$QE_POWER" 0 Discharging 37
qe_start
qe_wait_caption '^37%' 20
qe_show_main
main=$QE_MAIN
gone() { [ -z "$(qe_window_named "$1")" ]; }

qe_photograph "$main" linux-main-dialog.png

# "見る(&L)": the log viewer, with the lines logged so far, numbered.
qe_open_log_viewer
viewer=$QE_VIEWER
power_set "$QE_POWER" 0 Discharging 36
qe_wait_caption '^36%' 10
qe_photograph "$viewer" linux-log-viewer.png

# "ｻｳﾝﾄﾞ(&S)...": modal to the main window.
qe_keys "$main" alt+s
qe_until 10 "the sound dialog did not open" bash -c "xdotool search --onlyvisible --name '^ｻｳﾝﾄﾞﾌｧｲﾙの設定$' >/dev/null"
sound=$(qe_window_named 'ｻｳﾝﾄﾞﾌｧｲﾙの設定')
qe_photograph "$sound" linux-sound-dialog.png

# The main window takes no keys now: its exit ("終了(&E)") does nothing.
# The log viewer does: Escape closes it, and once it is gone the program
# has handled the exit's keys before it.
qe_keys "$main" alt+e
qe_keys "$viewer" Escape
qe_until 5 "the log viewer was blocked by the sound dialog" gone 'ﾛｸﾞ'
wine_pid_gone "$QE_PID" && qe_fail "the main window's exit ran under the modal sound dialog"
[ -n "$(qe_window_named 'ｻｳﾝﾄﾞﾌｧｲﾙの設定')" ] || qe_fail "the sound dialog closed with the viewer"

# Nor did the exit wait for the sound dialog: the main window still opens
# the viewer once the dialog is gone.
qe_keys "$sound" Escape
qe_until 5 "Escape did not cancel the sound dialog" gone 'ｻｳﾝﾄﾞﾌｧｲﾙの設定'
qe_open_log_viewer
wine_pid_gone "$QE_PID" && qe_fail "the main window's exit ran after the sound dialog"
qe_keys "$QE_VIEWER" Escape
qe_until 5 "Escape did not close the log viewer" gone 'ﾛｸﾞ'
qe_keys "$main" alt+e
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS"
# The log: the open marker, a line per percent, the close marker.
log=$(find "$QE_PROGRAM" -iname 'celwrd.log' | head -n 1)
[ -n "$log" ] && [ "$(grep -c '' "$log")" -ge 3 ] || qe_fail "the log has too few lines: $(cat "$log" 2>/dev/null)"
qe_log "passed"
