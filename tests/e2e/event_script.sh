#!/usr/bin/env bash
# The event script: the start-up sections run before the first tick, a
# power-change section runs in the entry's working directory, a waited
# entry holds the monitor until its program ends (and the sound comes
# after it), an entry marked "!" only starts its program.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

marks=$E2E_WORK/marks.txt
events=$E2E_WORK/events
mkdir -p "$events"
m=$(wine_path "$marks")
# The two programs that take time run until the test lets them end.
release=$E2E_WORK/release
r=$(wine_path "$release")
e2e_write_ini 'Cbattery.Scheckinterval = 300' 'Cscreen.Sdisplayinterval = 300' \
  'Csound.Schargefilename = C:\sounds\charge.wav' 'Csound.Sdischargefilename = C:\sounds\discharge.wav'
e2e_write_script '; what the test watches' \
  '[BOOT]' "$(wine_path "$events")" "MARK $m boot 0" \
  '[START] starts too' "$(wine_path "$events")" "MARK $m start 0" \
  '[AC-OFF]' "$(wine_path "$events")" "MARK $m acoff 60000 $r-acoff" \
  '[BAT-LOW]' "$(wine_path "$events")" "MARK here.txt low 0" \
  '[AC-ON]' "$(wine_path "$events")" "!MARK $m acon 60000 $r-acon"

marked() { grep -qx "$1" "$marks" 2>/dev/null; }
held() { [ "$(e2e_driver ping 1000)" = held ]; }

power_set "$E2E_POWER" 1 Charging 21
e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
e2e_until 10 "the start-up sections did not run" marked "start end"
e2e_expect_eq "boot start
boot end
start start
start end" "$(cat "$marks")" "marks of the start-up sections"
# The first tick reports the situation found at start (its section withheld).
charge_played() { e2e_sounds | grep -qx 'C:\\sounds\\charge.wav'; }
e2e_until 5 "no charge sound at start" charge_played

# Unplugged: the waited entry holds the monitor, the sound waits for it.
power_set "$E2E_POWER" 0 Discharging 21
e2e_until 5 "the mains section did not start" marked "acoff start"
held || e2e_fail "the monitor answered while its event program ran"
e2e_expect_eq 'C:\sounds\charge.wav' "$(e2e_sounds)" "sounds while the event program runs"
touch "$release-acoff"
e2e_until 10 "the mains section did not end" marked "acoff end"
held && e2e_fail "the monitor is still held after its event program ended"
discharge_played() { e2e_sounds | grep -qx 'C:\\sounds\\discharge.wav'; }
e2e_until 5 "no discharge sound after the event program" discharge_played

# The low section runs in its working directory (the entry names a relative file).
power_set "$E2E_POWER" 0 Discharging 20
e2e_until 5 "the low section did not run in its directory" test -f "$events/here.txt"

# Plugged in: "!" starts the program and does not wait for it.
power_set "$E2E_POWER" 1 Charging 20
e2e_until 5 "the mains-on section did not start" marked "acon start"
held && e2e_fail "the monitor was held by an entry marked !"
touch "$release-acon"
e2e_until 10 "the program of the entry marked ! did not end" marked "acon end"

e2e_driver exit || e2e_fail "no main window to exit"
e2e_wait_exit 20
