#!/usr/bin/env bash
# Every way out ends the program whole, whatever box, chooser or dialog is
# open: exit code 0, the settings saved, the log's close marker written, on
# the end of the session the [STOP] and [END] sections run, and the next
# start runs.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

marks=$QE_WORK/marks
qe_write_script "[STOP]" "$QE_CWD" "echo stop >> $marks" "[END]" "$QE_CWD" "echo end >> $marks"

# Starts on the battery with ARGS, shows the main window and opens with
# KEYS the window titled TITLE.
start_and_open() {
  local title=$1 keys=$2
  shift 2
  rm -f "$marks"
  qe_write_ini 'Cscreen.Sshowtasktray = 1' 'Clogfile.Sneedsavelogfile = 1' 'Cbattery.Scheckinterval = 200'
  power_set "$QE_POWER" 0 Discharging 50
  qe_start "$@"
  qe_wait_caption '^50%' 20
  qe_show_main
  qe_keys "$QE_MAIN" $keys
  qe_until 10 "$title did not open" bash -c "xdotool search --onlyvisible --name '^$title\$' >/dev/null"
}

ended_whole() {
  qe_wait_exit 10
  [ "$QE_STATUS" = 0 ] || qe_fail "$1: exit code $QE_STATUS"
  grep -aq '^WPOS_Dlg_Main = ' "$QE_PROGRAM/celwrd.INI" || qe_fail "$1: the settings were not saved"
  tail -n 1 "$QE_PROGRAM/CELWRD.LOG" | grep -aq '^\[Close logfile' || qe_fail "$1: the log was not closed"
  qe_log "$1: ended whole"
}

# "-A" once mains come, with the version box open, then with the log
# file's chooser open.
start_and_open 'Cellwarden Version' alt+v -A
power_set "$QE_POWER" 1 "Not charging" 50
ended_whole "-A with the version box open"

# Two mnemonics are B: the first takes the focus, space presses it.
start_and_open 'ﾛｸﾞﾌｧｲﾙ名' 'alt+b space' -A
power_set "$QE_POWER" 1 "Not charging" 50
ended_whole "-A with the chooser open"

# The tray menu's exit with the modal sound dialog open.
start_and_open 'ｻｳﾝﾄﾞﾌｧｲﾙの設定' alt+s
$QE_TRAY context
qe_until 10 "no menu popped up" bash -c "[ \$(xdotool search --onlyvisible --pid $QE_PID 2>/dev/null | wc -l) -ge 3 ]"
xdotool key Up Return
ended_whole "終了 with the sound dialog open"

# The end of the session with the sound dialog open; this start also
# shows that the last one let go of its lock.
start_and_open 'ｻｳﾝﾄﾞﾌｧｲﾙの設定' alt+s
kill -TERM "$QE_PID"
ended_whole "SIGTERM with the sound dialog open"
[ "$(tr '\n' ' ' <"$marks")" = "stop end " ] || qe_fail "the end of the session ran: $(cat "$marks")"
qe_log "passed"
