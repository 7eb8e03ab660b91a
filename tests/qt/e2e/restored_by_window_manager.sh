#!/usr/bin/env bash
# The main window, put away at start and brought back by the window
# manager (as its taskbar button does), is known to be up: moved there, it
# comes back where it was left.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

qe_write_ini 'Cscreen.Sshowtasktray = 1'
qe_start
qe_wait_caption '^100%' 20
main=$(qe_main_window)
qe_until 10 "the main window did not start minimised" bash -c "xprop -id $main WM_STATE | grep -q Iconic"
# Away for a refresh or two, as a user leaves it.
sleep 2
xdotool windowactivate "$main"
qe_until 10 "the window manager did not restore the main window" bash -c "xwininfo -id $main | grep -q IsViewable"
xdotool windowmove "$main" 300 120
qe_until 10 "the window manager did not move the main window" \
  bash -c "xwininfo -id $main | grep -Eq 'Absolute upper-left X: +30[0-9]$'"

$QE_TRAY context
qe_until 10 "no menu popped up" bash -c "[ \$(xdotool search --onlyvisible --pid $QE_PID 2>/dev/null | wc -l) -ge 2 ]"
xdotool key Up Return
qe_wait_exit 10
placement=$(qe_ini WPOS_Dlg_Main)
[[ "$placement" == 300,120,* ]] || qe_fail "the main window's placement was not kept: '$placement'"
qe_log "passed"
