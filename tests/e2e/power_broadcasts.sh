#!/usr/bin/env bash
# What Windows tells the program about suspend, resume and the end of the
# session: a granted query closes the log, saves the settings and runs the
# suspend programs before it answers; a resume reopens the log and runs the
# resume programs; the question "サスペンドを実行しますか？" refused changes
# nothing; the notices of current Windows (suspend 4, failed query 2,
# automatic resume 18) keep the log and the programs in step; other codes
# and a cancelled end of session change nothing.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

marks=$E2E_WORK/marks.txt
log=$E2E_PROGRAM/CELWRD.LOG
m=$(wine_path "$marks")
e2e_write_ini 'Cbattery.Scheckinterval = 300' 'Cscreen.Sdisplayinterval = 300' 'Clogfile.Sneedsavelogfile = 1'
script=()
for section in SUSPEND STOP RESUME START END; do
  script+=("[$section]" "$(wine_path "$E2E_WORK")" "MARK $m ${section,,} 0")
done
e2e_write_script "${script[@]}"

question='Cellwarden Suspend|サスペンドを実行しますか？'
expected_marks=(start)
log_lines=0

# Sends CODE (answering the question with ANSWER), expects the driver's
# report REPORT, then that the log grew by exactly the lines matching the
# patterns given after "--", and that the marks grew by the sections after
# the second "--" (in the script's order, which is the order they run in).
notice() {
  local command=$1 code=$2 answer=$3 report=$4
  shift 4
  local patterns=() sections=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do patterns+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  sections=("$@")
  local got
  got=$(e2e_driver "$command" "$code" $answer) || e2e_fail "$command $code was not delivered"
  [ -z "$report" ] || e2e_expect_eq "$report" "$got" "$command $code"
  local section
  for section in "${sections[@]}"; do expected_marks+=("$section"); done
  # A resume logs its first status line at the next log tick: until the
  # log and the marks have grown as expected (more would fail below).
  grown() {
    [ "$(tr -d '\r' <"$log" | tail -n +$((log_lines + 1)) | grep -c .)" -ge "${#patterns[@]}" ] &&
      [ "$(sed -n 's/ start$//p' "$marks" | wc -l)" -ge "${#expected_marks[@]}" ]
  }
  wine_wait_for "$(e2e_bound 5)" grown || true
  local new
  new=$(tr -d '\r' <"$log" | tail -n +$((log_lines + 1)))
  [ "$(grep -c . <<<"$new")" = "${#patterns[@]}" ] || [ -z "$new" -a ${#patterns[@]} = 0 ] ||
    e2e_fail "after $command $code the log got [$new], expected ${#patterns[@]} lines"
  local i=0 line
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    e2e_expect_match "${patterns[$i]}" "$line" "log line $((log_lines + i + 1)) after $command $code"
    i=$((i + 1))
  done <<<"$new"
  log_lines=$(wc -l <"$log")
  e2e_expect_eq "$(printf '%s\n' "${expected_marks[@]}")" "$(sed -n 's/ start$//p' "$marks")" \
    "event sections run after $command $code"
  e2e_log "$command $code $answer: $got"
}

open='^\[Open logfile at [0-9]{4}/[0-9]{2}/[0-9]{2} [ 1-2][0-9]:[0-9]{2}:[0-9]{2}\]$'
close='^\[Close logfile at [0-9]{4}/[0-9]{2}/[0-9]{2} [ 1-2][0-9]:[0-9]{2}:[0-9]{2}\]$'
status='^Discharge \|  50% \|'

power_set "$E2E_POWER" 0 Discharging 50
e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
status_logged() { [ "$(wc -l <"$log" 2>/dev/null)" = 2 ]; }
e2e_until 10 "no status line in the log after start" status_logged
e2e_expect_match "$open" "$(sed -n 1p "$log" | tr -d '\r')" "the first line of the log"
e2e_expect_match "$status" "$(sed -n 2p "$log" | tr -d '\r')" "the second line of the log"
log_lines=2
notice broadcast 10 '' 'asked=- result=0' --

# Suspend granted without a question, then resumed.
rm -f "$E2E_PROGRAM/celwrd.INI"
notice broadcast 0 '' 'asked=- result=1' "$close" -- suspend stop
[ -f "$E2E_PROGRAM/celwrd.INI" ] || e2e_fail "the settings were not saved on the way into the suspend"
notice broadcast 7 '' 'asked=- result=0' "$open" "$status" -- resume start

# With the question on: refused changes nothing, granted suspends.
e2e_driver click 10157 && e2e_driver press 1 || e2e_fail "could not switch the question on"
e2e_until 5 "the question switch did not reach the settings file" \
  grep -q $'^Cmanip.Sasksuspendok = 1\r$' "$E2E_PROGRAM/celwrd.INI"
notice broadcast 1 no "asked=$question result=1112363332" --
notice broadcast 0 yes "asked=$question result=1" "$close" -- suspend stop
# Another program refused after us: the monitor runs again.
notice broadcast 2 '' 'asked=- result=0' "$open" "$status" -- resume start
# Current Windows announces a suspend that cannot be refused, and an
# automatic resume.
notice broadcast 4 '' '' "$close" -- suspend stop
notice broadcast 18 '' 'asked=- result=0' "$open" "$status" -- resume start
notice broadcast 7 '' 'asked=- result=0' --

# The end of the session: cancelled changes nothing; real closes the log,
# saves and runs the stop and end programs, and leaves the window.
notice endsession 0 '' 'asked=- result=0' --
rm -f "$E2E_PROGRAM/celwrd.INI"
notice endsession 1 '' 'asked=- result=0' "$close" -- stop end
[ -f "$E2E_PROGRAM/celwrd.INI" ] || e2e_fail "the settings were not saved at the end of the session"
e2e_driver --wait 1000 caption >/dev/null || e2e_fail "the main window closed at the end of the session"
e2e_driver exit || e2e_fail "no main window to exit"
e2e_wait_exit 20
e2e_expect_eq 0 "$E2E_STATUS" "exit code"
