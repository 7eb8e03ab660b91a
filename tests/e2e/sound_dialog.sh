#!/usr/bin/env bash
# The sound dialog: a row switched off greys its file but still plays it on
# "再生"; thresholds are clamped; OK stores (saved by the main dialog's OK);
# Cancel forgets a file chosen with "参照"; a main-dialog Cancel after the
# sound dialog's OK undoes the sound changes.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

e2e_write_ini 'Cscreen.Sdisplayinterval = 300' 'Cbattery.Scheckinterval = 300' \
  'Csound.Sacfilename = C:\sounds\ac.wav' 'Csound.Sdischargefilename = C:\sounds\discharge.wav'
title=ｻｳﾝﾄﾞﾌｧｲﾙの設定
sound() { e2e_driver --window "$title" "$@"; }
open_sound_dialog() {
  e2e_driver sound
  sound caption >/dev/null || e2e_fail "the sound dialog did not open"
}
close_sound_dialog() {
  sound press "$1"
  gone() { ! e2e_driver --wait 200 --window "$title" caption >/dev/null; }
  e2e_until 5 "the sound dialog did not close" gone
}
saved() { grep -q "^$1"$'\r$' "$E2E_PROGRAM/celwrd.INI"; }
ac_played() { e2e_sounds | grep -qx 'C:\\sounds\\ac.wav'; }

power_set "$E2E_POWER" 0 Discharging 50
e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
e2e_driver restore

open_sound_dialog
e2e_expect_eq 'C:\sounds\ac.wav' "$(sound get 10202)" "the AC row's file"
e2e_expect_eq 1 "$(sound enabled 10202)" "the AC row's file while the row is on"
sound click 10201
row_off() { [ "$(sound enabled 10202)" = 0 ]; }
e2e_until 5 "the AC row's file stayed enabled when the row was switched off" row_off
sound press 10203
e2e_until 5 "再生 did not play the switched-off row's file" ac_played
sound set 10222 150
sound set 10228 abc
close_sound_dialog 1
e2e_driver press 1
e2e_until 5 "the sound settings were not saved by OK" saved 'Csound.Sfullbatteryperc = 100'
e2e_expect_eq 0 "$(e2e_ini Csound.Slowbatteryperc)" "a low threshold of abc"
e2e_expect_eq 0 "$(e2e_ini Csound.Sacfilenameenable)" "the AC row's switch"

# A file chosen, then Cancel: nothing changes.
e2e_driver tray left
open_sound_dialog
e2e_expect_eq 100 "$(sound get 10222)" "the full threshold shown again"
sound press 10204
e2e_expect_eq "WAVﾌｧｲﾙ名
chosen" "$(e2e_driver chooser "$(wine_path "$E2E_PROGRAM")\\alarm")" "the sound file chooser"
e2e_expect_eq "$(wine_path "$E2E_PROGRAM")\\alarm.WAV" "$(sound get 10202)" "the AC row's file after the chooser"
close_sound_dialog 2
e2e_driver press 1
sleep 1
e2e_expect_eq 'C:\sounds\ac.wav' "$(e2e_ini Csound.Sacfilename)" "the AC file after the sound dialog's Cancel"

# The sound dialog's OK, then the main dialog's Cancel: undone.
e2e_driver tray left
open_sound_dialog
sound press 10204
e2e_driver chooser "$(wine_path "$E2E_PROGRAM")\\alarm" >/dev/null
close_sound_dialog 1
e2e_driver press 2
e2e_driver exit
e2e_wait_exit 20
e2e_expect_eq 'C:\sounds\ac.wav' "$(e2e_ini Csound.Sacfilename)" "the AC file after the main dialog's Cancel"
