#!/usr/bin/env bash
# Whatever the main dialog does with logging, the markers in the log file
# alternate open, close, open, ...: a button that applies (ﾊﾞｰｼﾞｮﾝ, 見る)
# and then Cancel switch logging back with the marker that keeps them paired.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

e2e_write_ini 'Clogfile.Sneedsavelogfile = 1' 'Cbattery.Scheckinterval = 300'
log=$E2E_PROGRAM/CELWRD.LOG
markers() { tr -d '\r' <"$log" 2>/dev/null | sed -n 's/^\[\(Open\|Close\) logfile at .*\]$/\1/p' | tr '\n' ' '; }
markers_are() { [ "$(markers)" = "$1" ]; }
expect_markers() { e2e_until 5 "$1: the markers are '$(markers)', expected '$2'" markers_are "$2"; }
main_state() { e2e_driver windows | awk '$1 == "unowned" { print $3; exit }'; }
restore() {
  e2e_driver restore
  shown() { [ "$(main_state)" = normal ]; }
  e2e_until 5 "the main window was not restored" shown
}
# "記録する(&R)" checked (1) or not (0), whatever the dialog showed.
logging_box() {
  [ "$(e2e_driver get 10008)" = "$1" ] || e2e_driver click 10008
  [ "$(e2e_driver get 10008)" = "$1" ] || e2e_fail "the logging box did not become $1"
}

power_set "$E2E_POWER" 0 Discharging 50
e2e_start
e2e_wait_caption '^50%' 30
expect_markers "at start" 'Open '

# Logging off, applied by the version button; Cancel puts it back on.
restore
logging_box 0
e2e_driver press 10015
e2e_driver msgbox ok >/dev/null || e2e_fail "no version box"
expect_markers "after the version button" 'Open Close '
e2e_driver press 2
expect_markers "after Cancel switched logging on again" 'Open Close Open '

# Off and applied for good, on again by the log viewer's button; Cancel
# switches it off again.
restore
logging_box 0
e2e_driver press 16
expect_markers "after applying logging off" 'Open Close Open Close '
logging_box 1
e2e_driver press 10017
expect_markers "after the log viewer's button" 'Open Close Open Close Open '
e2e_driver press 2
expect_markers "after Cancel switched logging off again" 'Open Close Open Close Open Close '

# Exit applies what the dialog shows (logging on, as left there): whatever
# that does, the file ends with its markers paired.
e2e_driver exit
e2e_wait_exit 20
e2e_expect_match '^(Open Close )+$' "$(markers)" "the markers after the exit"
