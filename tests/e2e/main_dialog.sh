#!/usr/bin/env bash
# The main dialog as a user works it: apply stores and saves at once, with
# numbers clamped; Cancel puts the window away and forgets what was not
# applied; OK stores, saves and puts the window away; the version button
# applies without saving; exit saves what the dialog shows.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

e2e_write_ini 'Cscreen.Sdisplayitems[0] = 1' 'Cscreen.Sdisplayitems[1] = 0' 'Cscreen.Sdisplayitems[2] = 0' \
  'Cscreen.Sdisplayitems[3] = 0' 'Cscreen.Sdisplayitems[4] = 0' 'Cscreen.Sdisplayinterval = 300' \
  'Cbattery.Scheckinterval = 300' 'Cbattery.Stimedef1pdischarge = 72000' 'Cscreen.Sshowtasktray = 1'
ini=$E2E_PROGRAM/celwrd.INI

# The main window's state as the driver sees it: normal or minimised.
main_state() { e2e_driver windows | awk '$1 == "unowned" { print $3; exit }'; }
expect_state() {
  local wanted=$1
  state_is() { [ "$(main_state)" = "$wanted" ]; }
  e2e_until 5 "the main window is $(main_state), expected $wanted" state_is
}

power_set "$E2E_POWER" 0 Discharging 50
e2e_start
e2e_wait_caption '^50%$' 30
expect_state minimised
e2e_driver restore
expect_state normal
e2e_expect_eq 72 "$(e2e_driver get 10005)" "discharge seconds shown"
e2e_expect_eq 0 "$(e2e_driver enabled 10005)" "discharge seconds editable while measured automatically"

# Apply: stored and saved, numbers clamped; the window stays.
e2e_driver click 10006
editable() { [ "$(e2e_driver enabled 10005)" = 1 ]; }
e2e_until 5 "the discharge seconds stayed disabled when automatic was turned off" editable
e2e_driver set 10005 5000
e2e_driver set 10012 abc
e2e_driver press 16
saved_with() { grep -q "^$1"$'\r$' "$ini"; }
e2e_until 5 "apply did not save the clamped seconds" saved_with 'Cbattery.Stimedef1pdischarge = 1000000'
e2e_expect_eq 0 "$(e2e_ini Cbattery.Sautosetdischargetime)" "automatic discharge seconds after apply"
e2e_expect_eq 1000 "$(e2e_ini Clogfile.Soutputinterval)" "a log interval of abc"
expect_state normal

# Cancel: put away, nothing of it stored or saved.
before=$(md5sum <"$ini")
e2e_driver select 10150 5
e2e_driver click 10155
e2e_driver press 2
expect_state minimised
sleep 1
e2e_expect_eq "$before" "$(md5sum <"$ini")" "the settings file after Cancel"
e2e_wait_caption '^50%$' 2

# Shown again from the tray, the dialog holds the live values, the clamped
# number among them.
e2e_driver tray left
expect_state normal
e2e_expect_eq 1000 "$(e2e_driver get 10005)" "discharge seconds shown after 5000 was typed"
e2e_expect_eq 1 "$(e2e_driver get 10150)" "first display item after Cancel"
e2e_expect_eq 0 "$(e2e_driver get 10155)" "hide-from-taskbar after Cancel"

# OK: stored, saved, put away; the caption shows the new item.
e2e_driver select 10150 5
e2e_driver press 1
expect_state minimised
e2e_until 5 "OK did not save the display item" saved_with 'Cscreen.Sdisplayitems\[0\] = 5'
e2e_wait_caption '^[0-9]{1,2}:[0-9]{2}:[0-9]{2}$' 5

# The version button applies without saving.
e2e_driver tray left
expect_state normal
e2e_driver select 10150 1
e2e_driver press 10015
e2e_expect_eq 'Cellwarden Version|Cellwarden 「Tamberlo」/Voltarium/V1.05A/Build 1999/07/12' \
  "$(e2e_driver msgbox ok)" "the version box"
e2e_wait_caption '^50%$' 5
e2e_expect_eq 5 "$(e2e_ini 'Cscreen.Sdisplayitems\[0\]')" "first display item in the file after the version box"

# Exit saves what the dialog shows.
e2e_driver exit
e2e_wait_exit 20
e2e_expect_eq 1 "$(e2e_ini 'Cscreen.Sdisplayitems\[0\]')" "first display item in the file after exit"
