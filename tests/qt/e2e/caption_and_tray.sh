#!/usr/bin/env bash
# The caption and the tray follow the battery; the tray's clicks show the
# main window and its menu, whose last item ends the program and saves;
# the menu that panels read over D-Bus is the same.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

qe_write_ini "Cscreen.Sshowtasktray = 1" "Cbattery.Scheckinterval = 200"
qe_start
qe_wait_caption '^100%' 20
qe_until 10 "no tray icon registered" $QE_TRAY tip
qe_wait_tip_is_caption 10

# Half drained: the battery's upper half red, the rest blue.
power_set "$QE_POWER" 0 Discharging 50
qe_wait_caption '^50%' 10
qe_wait_tip_is_caption 10
[[ "$QE_TIP" == 50%* ]] || qe_fail "the tip did not follow: '$QE_TIP'"
discharging_icon() {
  read -r _ blue _ red _ green _ yellow <<<"$($QE_TRAY colours)"
  [ "$blue" -gt 0 ] && [ "$red" -gt 0 ] && [ "$green" = 0 ] && [ "$yellow" = 0 ]
}
qe_until 10 "a discharging icon is blue and red" discharging_icon
qe_log "discharging icon: blue $blue red $red green $green yellow $yellow"

power_set "$QE_POWER" 1 Charging 81
qe_wait_caption '^81%' 10
qe_until 10 "the icon did not turn to charging" bash -c "$QE_TRAY colours | grep -Eq 'green [1-9]'"

# Put away at start: a left click brings the main window up.
main=$(qe_main_window)
$QE_TRAY activate
qe_until 10 "the main window did not come up" bash -c "xwininfo -id $main | grep -q IsViewable"

# A panel that shows the icon's menu itself reads the window menu's rows;
# a row chosen there does what it does in the window menu.
rows=$($QE_TRAY menu | tr '\n' '|')
[ "$rows" = "元のサイズに戻す(_R)|-|ﾊﾞｯﾃﾘｰの状態(_H)|ﾊﾞｰｼﾞｮﾝ(_V)|終了(_C)|" ] || qe_fail "the tray's menu reads '$rows'"
$QE_TRAY choose 'ﾊﾞｰｼﾞｮﾝ(_V)' || qe_fail "the tray's menu could not be clicked"
qe_until 10 "the version box did not open" bash -c "xdotool search --onlyvisible --name '^Cellwarden Version$' >/dev/null"
qe_keys "$(qe_window_named 'Cellwarden Version')" Return
qe_until 10 "the version box did not close" bash -c "! xdotool search --onlyvisible --name '^Cellwarden Version$' >/dev/null"

# A right click pops up the window menu; its last item is the exit.
$QE_TRAY context
qe_until 10 "no menu popped up" bash -c "[ \$(xdotool search --onlyvisible --pid $QE_PID 2>/dev/null | wc -l) -ge 2 ]"
xdotool key Up Return
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS"
[ "$(qe_ini Cscreen.Sshowtasktray)" = 1 ] || qe_fail "the settings were not saved on exit"
grep -aq '^WPOS_Dlg_Main = ' "$QE_PROGRAM/celwrd.INI" || qe_fail "no main window placement saved"
qe_log "passed"
