#!/usr/bin/env bash
# Battery health from the fake battery: `celwrd --health=json` without a
# display gives its fields; the running program writes the history beside
# its settings at the start, and a line at once when the full capacity
# drops (seen at the next reading, here the unplugging); --health then
# gives the new capacity, also as text.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

bat=$QE_POWER/BAT0
echo 57020000 >"$bat/energy_full_design"
echo 51234000 >"$bat/energy_full"
echo 123 >"$bat/cycle_count"
echo SMP >"$bat/manufacturer"
echo 5B10W13930 >"$bat/model_name"
echo " 1234" >"$bat/serial_number"
echo Li-ion >"$bat/technology"
echo 11400000 >"$bat/voltage_min_design"
history=$QE_PROGRAM/CELWRDHL.LOG
bare() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$QE_PROGRAM/celwrd" "$@" 2>>"$QE_WORK/program.log"; }

# "Not charging" on mains: no power flows. 11.1 V now (voltage_now).
json=$(bare --health=json) || qe_fail "--health=json ended with $?"
expected='{"batteries":[{"name":"BAT0","maker":"SMP","model":"5B10W13930","serial":"1234","technology":"Li-ion",'
expected+='"design_wh":57.02,"full_wh":51.234,"design_mah":null,"full_mah":null,"health_percent":89.9,"cycles":123,'
expected+='"power_w":0,"voltage_v":11.1}]}'
[ "$json" = "$expected" ] || qe_fail "--health=json said
$json
expected
$expected"
[ ! -e "$history" ] || qe_fail "--health wrote a history"

qe_write_ini 'Cbattery.Scheckinterval = 300'
power_set "$QE_POWER" 1 Charging 50
started=$(date +%Y-%m-%d)
qe_start
qe_wait_caption '^50%' 20
lines() { tr -d '\r' <"$history" 2>/dev/null | grep -c .; }
has_lines() { [ "$(lines)" = "$1" ]; }
qe_until 10 "no history at the start: $(cat "$history" 2>/dev/null)" has_lines 2
[ "$(head -n 1 "$history")" = $'#cellwarden-health\tversion=1\r' ] || qe_fail "the first line is $(head -n 1 "$history" | cat -A)"
line=$(sed -n 2p "$history" | tr -d '\r')
pattern="^time=($started|$(date +%Y-%m-%d))T[0-9]{2}:[0-9]{2}:[0-9]{2}[+-][0-9]{2}:[0-9]{2}"$'\t'"bat=BAT0"$'\t'"maker=SMP"$'\t'
pattern+="model=5B10W13930"$'\t'"serial=1234"$'\t'"tech=Li-ion"$'\t'"design_mwh=57020"$'\t'"full_mwh=51234"$'\t'
pattern+="cycles=123"$'\t'"mv=11100"$'\t'"mw=[0-9]+$"
grep -Eq -- "$pattern" <<<"$line" || qe_fail "the history's line: $line"

# The full capacity drops; the unplugging reads it at once.
power_write "$bat/energy_full" 50000000
power_set "$QE_POWER" 0 Discharging 49
qe_wait_caption '^49%' 10
qe_until 10 "no line for the new full capacity: $(cat "$history")" has_lines 3
line=$(sed -n 3p "$history" | tr -d '\r')
grep -q $'\tfull_mwh=50000\t' <<<"$line" && grep -q $'\tmw=-' <<<"$line" || qe_fail "the change's line: $line"

bare --health >"$QE_WORK/report.txt" || qe_fail "--health ended with $?"
grep -qx '  満充電容量: 50.00 Wh' "$QE_WORK/report.txt" && grep -qx '  健全度: 87.7 %' "$QE_WORK/report.txt" ||
  qe_fail "--health said: $(cat "$QE_WORK/report.txt")"
kill -TERM "$QE_PID"
qe_wait_exit 20
[ "$(lines)" = 3 ] || qe_fail "the history changed at the end: $(cat "$history")"
