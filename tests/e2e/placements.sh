#!/usr/bin/env bash
# Window placements survive a restart: the main window starts minimised but
# comes back where the user left it; the log viewer reopens at its place and
# size; the sound dialog at its place.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

e2e_write_ini 'Cscreen.Sdisplayinterval = 300'
main_rect() { e2e_driver windows | awk '$1 == "unowned" && $2 == "visible" { print $3, $5; exit }'; }
rect_of() { e2e_driver windows | awk -v title="$1" '$1 == "owned" && $6 == title { print $5; exit }'; }
size_of() { local r=$1; echo "${r%%+*}"; }
title=ｻｳﾝﾄﾞﾌｧｲﾙの設定

power_set "$E2E_POWER" 0 Discharging 50
e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
e2e_driver restore
normal() { main_rect | grep -q '^normal '; }
e2e_until 5 "the main window was not restored" normal
main_size=$(size_of "$(main_rect | cut -d' ' -f2)")
e2e_driver place 100 80 "${main_size%x*}" "${main_size#*x}"
e2e_driver log
e2e_driver --window ﾛｸﾞ place 300 200 500 300 || e2e_fail "the log viewer did not open"
e2e_driver sound
sound_size=$(size_of "$(e2e_driver --window "$title" caption >/dev/null && rect_of "$title")")
e2e_driver --window "$title" place 150 120 "${sound_size%x*}" "${sound_size#*x}"
sleep 0.5
e2e_driver --window "$title" press 1
sleep 0.5
e2e_driver exit
e2e_wait_exit 20
e2e_log "saved: $(grep -a '^WPOS' "$E2E_PROGRAM/celwrd.INI" | tr -d '\r' | tr '\n' ' ')"

e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window after the restart"
# The caption is there a moment before the window is shown (minimised).
shown() { [ -n "$(main_rect)" ]; }
e2e_until 5 "the main window was not shown after the restart" shown
e2e_expect_eq "minimised" "$(main_rect | cut -d' ' -f1)" "the main window at start"
e2e_driver restore
e2e_until 5 "the main window was not restored after the restart" normal
e2e_expect_eq "$main_size+100+80" "$(main_rect | cut -d' ' -f2)" "the main window after the restart"
e2e_driver log
e2e_driver --window ﾛｸﾞ caption >/dev/null || e2e_fail "the log viewer did not open after the restart"
e2e_expect_eq "500x300+300+200" "$(rect_of ﾛｸﾞ)" "the log viewer after the restart"
e2e_driver sound
e2e_driver --window "$title" caption >/dev/null || e2e_fail "the sound dialog did not open after the restart"
e2e_expect_eq "$sound_size+150+120" "$(rect_of "$title")" "the sound dialog after the restart"
e2e_driver --window "$title" press 2
e2e_driver exit
e2e_wait_exit 20
