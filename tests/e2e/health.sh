#!/usr/bin/env bash
# Battery health under Wine, which lists no battery device: the readings
# at the start and at each change of the power kind find no battery, the
# program runs on with its estimate as before and writes no history, and
# celwrd-chart.exe --health says there is no battery, as text and as JSON.
# The health window, opened from the window menu, says so too. The
# battery report and --health in English under an English locale or --lang.
# Wine's trace shows each listing of the battery devices.
E2E_WINEDEBUG=fixme-all,trace+setupapi
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"
battery_listings() { grep -ac 'SetupDiGetClassDevs.*72631e54-78a4-11d0-bcf7-00aa00b7b32a' "$E2E_WORK/wine.log"; }

e2e_write_ini 'Cscreen.Sdisplayitems[0] = 1' 'Cscreen.Sdisplayitems[1] = 2' 'Cscreen.Sdisplayitems[2] = 0' \
  'Cscreen.Sdisplayitems[3] = 0' 'Cscreen.Sdisplayitems[4] = 0' \
  'Cscreen.Sdisplayinterval = 500' 'Cbattery.Scheckinterval = 500' 'Clogfile.Sneedsavelogfile = 1'
cp "$(dirname "$CELLWARDEN_EXE")/celwrd-chart.exe" "$E2E_PROGRAM/" || e2e_fail "no celwrd-chart.exe beside $CELLWARDEN_EXE"

# The program has seen a kind once the log has a status line of it.
kind_seen() { [ "$(grep -ac "^$1 " "$E2E_PROGRAM/CELWRD.LOG" 2>/dev/null)" = "$2" ]; }
listed() { [ "$(battery_listings)" -ge "$1" ]; }

power_set "$E2E_POWER" 1 Charging 50
e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
e2e_wait_caption '^50% 0s$' 10
e2e_until 10 "no reading at the start" listed 1

# Each change of kind reads the batteries again.
for round in 1 2; do
  power_set "$E2E_POWER" 0 Discharging 50
  e2e_until 10 "the unplugging was not seen" kind_seen Discharge "$round"
  e2e_until 10 "no reading at the unplugging $round" listed $((2 * round))
  power_set "$E2E_POWER" 1 Charging 50
  e2e_until 10 "the plugging in was not seen" kind_seen Charge $((round + 1))
  e2e_until 10 "no reading at the plugging in $round" listed $((2 * round + 1))
done

# The health window, from the window menu: it says there is no battery,
# and a second choice brings the same window forward. It stays open while
# the estimate is measured: its power readings change nothing of it.
health_windows() { e2e_driver windows | grep -c 'ﾊﾞｯﾃﾘｰの状態'; }
health_text() { e2e_driver --window 'ﾊﾞｯﾃﾘｰの状態' get $IDC_HEALTH_TEXT | tr -d '\r'; }
IDC_HEALTH_TEXT=10401 CMD_HEALTH=30002
e2e_driver syscommand $CMD_HEALTH || e2e_fail "the window menu's health item could not be chosen"
e2e_driver --window 'ﾊﾞｯﾃﾘｰの状態' caption >/dev/null || e2e_fail "no health window"
e2e_until 10 "the health window does not say there is no battery: $(health_text)" \
  eval '[ "$(health_text)" = "ﾊﾞｯﾃﾘｰがありません" ]'
e2e_driver syscommand $CMD_HEALTH
e2e_driver ping 2000 | grep -q answered || e2e_fail "the program no longer answers"
e2e_expect_eq 1 "$(health_windows)" "health windows after the second choice"

# The estimate as before: the first step after the kind change starts the
# measurement, the next one, 3 s later, gives the seconds per 1 %.
power_set "$E2E_POWER" 0 Discharging 50
sleep 1
power_set "$E2E_POWER" 0 Discharging 49
e2e_wait_caption '^49% 0s$' 5
started=$SECONDS
sleep 3
power_set "$E2E_POWER" 0 Discharging 48
e2e_wait_caption '^48% [1-9][0-9]*s$' 5
rate=$(awk '{ print $2 }' <<<"$E2E_CAPTION")
rate=${rate%s}
took=$((SECONDS - started + 1))
[ "$rate" -ge 3 ] && [ "$rate" -le "$took" ] || e2e_fail "measured ${rate}s per 1 %, not between 3 and $took s"

# A reading taken at the next tick would have written by now.
sleep 2
e2e_driver caption >/dev/null || e2e_fail "the program no longer answers"
e2e_until 10 "no reading at the last unplugging" listed 6
[ ! -e "$E2E_PROGRAM/CELWRDHL.LOG" ] || e2e_fail "a history without a battery: $(cat "$E2E_PROGRAM/CELWRDHL.LOG")"
e2e_expect_eq 'ﾊﾞｯﾃﾘｰがありません' "$(health_text)" "the health window at the end"
e2e_driver --window 'ﾊﾞｯﾃﾘｰの状態' press 1
e2e_until 10 "the health window did not close" eval '[ "$(health_windows)" = 0 ]'
e2e_driver caption >/dev/null || e2e_fail "the program no longer answers after the health window closed"

chart() {
  (cd "$E2E_CWD" && wine_bounded 60 "${WINE[@]}" "$E2E_PROGRAM/celwrd-chart.exe" "$@" 2>>"$E2E_WORK/wine.log") | tr -d '\r'
}
json=$(chart --health=json)
e2e_expect_eq '{"batteries":[]}' "$json" "celwrd-chart.exe --health=json"
text=$(chart --health)
e2e_expect_eq 'ﾊﾞｯﾃﾘｰがありません' "$text" "celwrd-chart.exe --health"
(cd "$E2E_CWD" && wine_bounded 60 "${WINE[@]}" "$E2E_PROGRAM/celwrd-chart.exe" --health=xml >/dev/null 2>&1)
e2e_expect_eq 2 "$?" "the exit code of celwrd-chart.exe --health=xml"
e2e_driver exit
e2e_wait_exit 20
[ ! -e "$E2E_PROGRAM/CELWRDHL.LOG" ] || e2e_fail "a history without a battery after the exit"
e2e_expect_files "$E2E_PROGRAM" celwrd.exe celwrd-chart.exe celwrd.INI celwrd.LCK CELWRD.LOG

# The battery report from the files beside the programs: the log the
# program wrote and a history put there, texts of which are escaped.
printf '#cellwarden-health\tversion=1\r\ntime=2026-12-08T09:00:00+09:00\tbat=BAT0\tmaker=<SMP>\tdesign_mwh=57020\tfull_mwh=51318\r\n' \
  >"$E2E_PROGRAM/CELWRDHL.LOG"
page=$(chart --report)
for shown in 'ﾊﾞｯﾃﾘｰﾛｸﾞ: .*CELWRD\.LOG ([0-9]*行)' '健全度の履歴: .*CELWRDHL\.LOG (1行)' '&lt;SMP&gt;' '90\.0 %' \
  'id="charge"' 'class="health-line"' '<tr class="whole"><td>全期間</td><td class="n">[12]</td>'; do
  grep -q "$shown" <<<"$page" || e2e_fail "celwrd-chart.exe --report shows no $shown: $(head -c 2000 <<<"$page")"
done

# The same report and health under an English locale, from the tool's own
# string tables, with nothing Japanese but the fonts' names; --lang over
# the locale either way.
locale -a 2>/dev/null | grep -qix 'en_US\.utf-\?8' || localedef -i en_US -f UTF-8 en_US.UTF-8 2>/dev/null ||
  e2e_log "no generated en_US.UTF-8 (Debian package locales)"
english=$(LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 chart --report)
for shown in 'Battery log: .*CELWRD\.LOG (lines: [0-9]*)' 'Health history: .*CELWRDHL\.LOG (lines: 1)' \
  '<tr class="whole"><td>All time</td><td class="n">[12]</td>'; do
  grep -q "$shown" <<<"$english" || e2e_fail "the English report shows no $shown: $(head -c 2000 <<<"$english")"
done
japanese=$(LC_ALL=C.UTF-8 sed 's/ＭＳ Ｐ\?ゴシック//g' <<<"$english" | LC_ALL=C.UTF-8 grep -P '[\x{3000}-\x{30FF}\x{4E00}-\x{9FFF}\x{FF00}-\x{FFEF}]' | head -3)
[ -z "$japanese" ] || e2e_fail "Japanese in the English report: $japanese"
e2e_expect_eq "$page" "$(LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 chart --lang ja --report)" "--lang ja --report under English"
e2e_expect_eq 'No battery' "$(chart --lang en --health)" "celwrd-chart.exe --lang en --health"
e2e_expect_eq 'No battery' "$(chart --health --lang=en)" "celwrd-chart.exe --health --lang=en"
e2e_expect_eq 'ﾊﾞｯﾃﾘｰがありません' "$(LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 chart --health --lang ja)" \
  "celwrd-chart.exe --health --lang ja under English"
