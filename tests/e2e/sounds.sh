#!/usr/bin/env bash
# The sound the program asks Windows to play on each change of the power
# situation, seen through Wine's trace of PlaySound: the sound of the new
# kind, the low and full alerts once per crossing, no repeat of the full
# alert when the charger stops at the top, the latches armed again by
# unplugging and by the battery coming back.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

e2e_write_ini \
  'Cscreen.Sdisplayitems[0] = 1' 'Cscreen.Sdisplayitems[1] = 0' 'Cscreen.Sdisplayitems[2] = 0' \
  'Cscreen.Sdisplayitems[3] = 0' 'Cscreen.Sdisplayitems[4] = 0' \
  'Cscreen.Sdisplayinterval = 300' 'Cbattery.Scheckinterval = 300' \
  'Csound.Sacfilename = C:\sounds\ac.wav' 'Csound.Sacbatteryfilename = C:\sounds\acbatt.wav' \
  'Csound.Schargefilename = C:\sounds\charge.wav' 'Csound.Sdischargefilename = C:\sounds\discharge.wav' \
  'Csound.Sfullbatteryfilename = C:\sounds\full.wav' 'Csound.Slowbatteryfilename = C:\sounds\low.wav' \
  'Csound.Sfullbatteryperc = 95' 'Csound.Slowbatteryperc = 20'

played=()
# Sets the power, waits for the caption to show CAPTION, and until the
# sounds played so far are exactly the ones expected, this step's names
# added. A kind change with the same percentage leaves the caption alone:
# its sound shows that the program saw it. A sound played late or wrongly
# stays in the list and fails this step or the next.
step() {
  local online=$1 status=$2 percent=$3 caption=$4
  shift 4
  if [ "$status" = none ]; then power_remove_battery "$E2E_POWER"; else power_set "$E2E_POWER" "$online" "$status" "$percent"; fi
  e2e_wait_caption "^$caption\$" 10
  local name expected actual
  for name in "$@"; do played+=("C:\\sounds\\$name.wav"); done
  expected=$(printf '%s\n' "${played[@]}")
  sounds_are_expected() {
    actual=$(e2e_sounds)
    [ "$actual" = "$expected" ]
  }
  wine_wait_for "$(e2e_bound 5)" sounds_are_expected ||
    e2e_fail "after $online/$status/$percent: played [$(echo $actual)], expected [$(echo $expected)]"
  e2e_log "$online/$status/$percent: [$(echo "$@")]"
}

power_set "$E2E_POWER" 0 Discharging 25
e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
step 0 Discharging 25 25% discharge
step 0 Discharging 21 21%
step 0 Discharging 20 20% low
step 0 Discharging 19 19%
step 1 Charging 19 19% charge
step 1 Charging 94 94%
step 1 Charging 95 95% full
# The charger stops at the top: no second full alert.
step 1 "Not charging" 100 100%
step 1 none 0 --% ac
step 1 "Not charging" 50 50% acbatt
# Unplugged below the low mark: the low alert instead of the discharge sound.
step 0 Discharging 15 15% low
# Plugged in again: its sound is played after any the steps before asked
# for (PlaySound ends the one before first), so none came late.
step 1 Charging 15 15% charge
e2e_driver exit || e2e_fail "no main window to exit"
e2e_wait_exit 20
e2e_expect_eq "$(printf '%s\n' "${played[@]}")" "$(e2e_sounds)" "the sounds played up to the exit"
