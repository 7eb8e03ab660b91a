#!/usr/bin/env bash
# Whatever the main dialog does with logging, the markers in the log file
# alternate open, close, open, ...: a button that applies (ﾊﾞｰｼﾞｮﾝ, 見る)
# and then Cancel switch logging back with the marker that keeps them paired.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

qe_write_ini 'Cscreen.Sshowtasktray = 1' 'Clogfile.Sneedsavelogfile = 1' 'Cbattery.Scheckinterval = 300'
log=$QE_PROGRAM/CELWRD.LOG
markers() { tr -d '\r' <"$log" 2>/dev/null | sed -n 's/^\[\(Open\|Close\) logfile at .*\]$/\1/p' | tr '\n' ' '; }
markers_are() { [ "$(markers)" = "$1" ]; }
expect_markers() { qe_until 5 "$1: the markers are '$(markers)', expected '$2'" markers_are "$2"; }
shown() { [ -n "$(qe_window_named "$1")" ]; }

power_set "$QE_POWER" 0 Discharging 50
qe_start
qe_wait_caption '^50%' 20
expect_markers "at start" 'Open '

# Logging off ("記録する(&R)"), applied by the version button; Escape, the
# dialog's Cancel, puts it back on.
qe_show_main
qe_keys "$QE_MAIN" alt+r alt+v
qe_until 10 "no version box" shown 'Cellwarden Version'
qe_keys "$(qe_window_named 'Cellwarden Version')" Return
expect_markers "after the version button" 'Open Close '
qe_keys "$QE_MAIN" Escape
expect_markers "after Cancel switched logging on again" 'Open Close Open '

# Off and applied for good ("更新(&A)"), on again by "見る(&L)"; Cancel
# switches it off again.
qe_show_main
qe_keys "$QE_MAIN" alt+r alt+a
expect_markers "after applying logging off" 'Open Close Open Close '
qe_keys "$QE_MAIN" alt+r
qe_open_log_viewer
# The window manager hands the new viewer the focus a moment after it maps;
# let that happen before the keys go back to the main window.
for _ in $(seq 30); do [ "$(xdotool getactivewindow 2>/dev/null)" = "$QE_VIEWER" ] && break; sleep 0.1; done
expect_markers "after the log viewer's button" 'Open Close Open Close Open '
qe_keys "$QE_MAIN" Escape
expect_markers "after Cancel switched logging off again" 'Open Close Open Close Open Close '

# "終了(&E)" with logging off adds no marker.
qe_show_main
qe_keys "$QE_MAIN" alt+e
qe_wait_exit 20
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS"
expect_markers "after the exit with logging off" 'Open Close Open Close Open Close '
