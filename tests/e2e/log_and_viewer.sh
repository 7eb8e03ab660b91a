#!/usr/bin/env bash
# The battery log through the main dialog: switched on it opens the file
# with a marker, then a line per percent or per interval; a new file chosen
# with the file chooser gets the open marker after the old one got the close
# marker; switched off nothing more reaches the file. The log viewer shows
# the lines in memory, numbered, and follows each new one, also while the
# sound dialog is open and after that dialog is cancelled.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

e2e_write_ini 'Cscreen.Sdisplayitems[0] = 1' 'Cscreen.Sdisplayitems[1] = 0' 'Cscreen.Sdisplayitems[2] = 0' \
  'Cscreen.Sdisplayitems[3] = 0' 'Cscreen.Sdisplayitems[4] = 0' 'Cscreen.Sdisplayinterval = 300' \
  'Cbattery.Scheckinterval = 300'
first=$E2E_PROGRAM/CELWRD.LOG
mkdir -p "$E2E_WORK/logs"
second=$E2E_WORK/logs/second.LOG

open='^\[Open logfile at [0-9]{4}/[0-9]{2}/[0-9]{2} [ 1-2][0-9]:[0-9]{2}:[0-9]{2}\]$'
close='^\[Close logfile at [0-9]{4}/[0-9]{2}/[0-9]{2} [ 1-2][0-9]:[0-9]{2}:[0-9]{2}\]$'
status() { echo "^Discharge \\|  $1% \\|"; }
lines_of() { tr -d '\r' <"$1"; }
line_count() { lines_of "$1" 2>/dev/null | grep -c .; }
has_lines() { [ "$(line_count "$1")" -ge "$2" ]; }
viewer() { e2e_driver --window ﾛｸﾞ get 10301 | tr -d '\r' | grep .; }
viewer_ends_with() { viewer | tail -n 1 | grep -Eq -- "$1"; }

power_set "$E2E_POWER" 0 Discharging 50
e2e_start
e2e_wait_caption '^50%$' 30
e2e_driver restore
sleep 1
[ -e "$first" ] && e2e_fail "the log file was written while logging was off"

# Switched on: the open marker, then a line per percent.
e2e_driver click 10008
e2e_driver press 16
e2e_until 5 "no open marker after logging was switched on" has_lines "$first" 1
power_set "$E2E_POWER" 0 Discharging 49
e2e_until 5 "no status line for 49 %" has_lines "$first" 2
e2e_expect_match "$open" "$(lines_of "$first" | sed -n 1p)" "first line of the log"
e2e_expect_match "$(status 49)" "$(lines_of "$first" | sed -n 2p)" "second line of the log"

# Per interval: a line every second, until switched back. From the apply on
# there is at most one a second, however slow the machine; and by the times
# the program wrote in them the lines come a second apart (two when the
# seconds roll over in between). A record that comes late is caught up at
# the next tick, so of two gaps one is still that short.
before=$(line_count "$first")
started=$(date +%s%N)
e2e_driver click 10010
e2e_driver set 10012 1
e2e_driver press 16
e2e_until 10 "no lines per interval" has_lines "$first" $((before + 3))
took=$((($(date +%s%N) - started) / 1000000))
count=$(($(line_count "$first") - before))
[ "$count" -le $((took / 1000 + 1)) ] || e2e_fail "$count lines in $took ms at one per second"
# The "now H:MM:SS" of status lines, in seconds of the day.
stamp_of() { sed -n 's/.* | now \([ 0-9]*\):\([0-9]*\):\([0-9]*\) (.*/\1 \2 \3/p' | awk '{ print $1 * 3600 + $2 * 60 + $3 }'; }
per_interval=$(lines_of "$first" | sed -n "$((before + 1)),$((before + 3))p")
stamps=($(stamp_of <<<"$per_interval"))
[ "${#stamps[@]}" = 3 ] || e2e_fail "the lines per interval carry no time: $per_interval"
gap1=$(((stamps[1] - stamps[0] + 86400) % 86400)) gap2=$(((stamps[2] - stamps[1] + 86400) % 86400))
[ "$gap1" -le 2 ] || [ "$gap2" -le 2 ] || e2e_fail "the lines per interval came $gap1 and $gap2 s apart: $per_interval"
e2e_driver click 10013
e2e_driver press 16
saved_per_percent() { grep -q $'^Clogfile.Sneedsavelogfiletime = 0\r$' "$E2E_PROGRAM/celwrd.INI"; }
e2e_until 5 "switching back to per percent was not applied" saved_per_percent
count=$(line_count "$first")
sleep 2
e2e_expect_eq "$count" "$(line_count "$first")" "lines in the log after switching back to per percent"

# Another file: the chooser adds the extension; the old file is closed.
e2e_driver press 10007
e2e_expect_eq "ﾛｸﾞﾌｧｲﾙ名
chosen" "$(e2e_driver chooser "$(wine_path "$E2E_WORK/logs/second")")" "the log file chooser"
e2e_expect_eq "$(wine_path "$second")" "$(e2e_driver get 10009)" "the log file name chosen"
# A directory that does not exist is refused, the name stays.
e2e_driver press 10007
e2e_expect_eq "ﾛｸﾞﾌｧｲﾙ名
refused" "$(e2e_driver chooser 'Z:\no\such\directory\third.log')" "the chooser with a missing directory"
e2e_expect_eq "$(wine_path "$second")" "$(e2e_driver get 10009)" "the log file name after a refused choice"
e2e_driver press 16
e2e_until 5 "no open marker in the new log file" has_lines "$second" 1
e2e_expect_match "$close" "$(lines_of "$first" | tail -n 1)" "last line of the old log file"
e2e_expect_match "$open" "$(lines_of "$second" | sed -n 1p)" "first line of the new log file"

# The viewer: every line since start, numbered, following new ones.
e2e_driver log
e2e_driver --window ﾛｸﾞ caption >/dev/null || e2e_fail "the log viewer did not open"
e2e_expect_match '^  1: \[Open logfile at ' "$(viewer | head -n 1)" "first line in the viewer"
e2e_expect_match '^ *[0-9]+: \[Open logfile at ' "$(viewer | tail -n 1)" "last line in the viewer"
power_set "$E2E_POWER" 0 Discharging 48
e2e_until 5 "the viewer did not follow the line for 48 %" viewer_ends_with "^ *[0-9]+: $(status 48 | cut -c2-)"

# Switched off: the close marker, then nothing more in the file.
e2e_driver click 10008
e2e_driver press 16
closed() { lines_of "$second" | tail -n 1 | grep -Eq -- "$close"; }
e2e_until 5 "no close marker after logging was switched off" closed
power_set "$E2E_POWER" 0 Discharging 47
e2e_until 5 "the viewer did not follow the line for 47 %" viewer_ends_with "$(status 47 | cut -c2-)"
e2e_expect_match "$close" "$(lines_of "$second" | tail -n 1)" "last line of the log file after 47 %"

# Lines logged while the sound dialog is open stay when it is cancelled.
e2e_driver sound
e2e_driver --window ｻｳﾝﾄﾞﾌｧｲﾙの設定 caption >/dev/null || e2e_fail "the sound dialog did not open"
power_set "$E2E_POWER" 0 Discharging 46
e2e_until 5 "the viewer did not follow the line for 46 % behind the sound dialog" viewer_ends_with "$(status 46 | cut -c2-)"
e2e_driver --window ｻｳﾝﾄﾞﾌｧｲﾙの設定 press 2
power_set "$E2E_POWER" 0 Discharging 45
e2e_until 5 "the viewer did not follow the line for 45 %" viewer_ends_with "$(status 45 | cut -c2-)"
viewer | tail -n 2 | head -n 1 | grep -Eq -- "$(status 46 | cut -c2-)" ||
  e2e_fail "the line for 46 % was lost when the sound dialog was cancelled: $(viewer | tail -n 3)"

e2e_driver exit
e2e_wait_exit 20
