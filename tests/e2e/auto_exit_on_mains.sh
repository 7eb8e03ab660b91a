#!/usr/bin/env bash
# Started with -A on mains power with a battery that is not charging, the
# program ends by itself with exit code 0 and leaves its settings file
# beside itself: the three window placements, then the settings in the
# program's order, CR LF line ends, and nothing else written anywhere.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

power_set "$E2E_POWER" 1 "Not charging" 37
e2e_start -A
e2e_wait_exit 60
e2e_expect_eq 0 "$E2E_STATUS" "exit code"

ini=$E2E_PROGRAM/celwrd.INI
[ -f "$ini" ] || e2e_fail "no celwrd.INI beside the program (it holds: $(ls "$E2E_PROGRAM"))"
e2e_expect_files "$E2E_PROGRAM" celwrd.exe celwrd.INI celwrd.LCK
e2e_expect_files "$E2E_CWD"
e2e_expect_crlf_lines "$ini"
e2e_expect_eq 38 "$(wc -l <"$ini")" "lines in celwrd.INI"

expected_keys='WPOS_Dlg_Main
WPOS_Dlg_Sound
WPOS_Dlg_Log
Cscreen.Sdisplayitems[0]
Cscreen.Sdisplayitems[1]
Cscreen.Sdisplayitems[2]
Cscreen.Sdisplayitems[3]
Cscreen.Sdisplayitems[4]
Cscreen.Sdisplayinterval
Cscreen.Stimeformat
Cscreen.Shidetaskbar
Cscreen.Sshowtasktray
Cbattery.Stimedef1pcharge
Cbattery.Stimedef1pdischarge
Cbattery.Sautosetchargetime
Cbattery.Sautosetdischargetime
Cbattery.Scheckinterval
Clogfile.Sneedsavelogfile
Clogfile.Sneedsavelogfiletime
Clogfile.Sneedsavelogfilebattery
Clogfile.Soutputinterval
Clogfile.Slogfilename
Csound.Sacfilename
Csound.Sacbatteryfilename
Csound.Schargefilename
Csound.Sdischargefilename
Csound.Sfullbatteryfilename
Csound.Slowbatteryfilename
Csound.Sfullbatteryperc
Csound.Slowbatteryperc
Csound.Sacfilenameenable
Csound.Sacbatteryfilenameenable
Csound.Schargefilenameenable
Csound.Sdischargefilenameenable
Csound.Sfullbatteryfilenameenable
Csound.Slowbatteryfilenameenable
Cmanip.Sneedsaveoptionsystem
Cmanip.Sasksuspendok'
keys=$(tr -d '\r' <"$ini" | sed 's/ = .*//')
[ "$keys" = "$expected_keys" ] ||
  e2e_fail "keys of celwrd.INI differ from the program's order:
$(diff <(echo "$expected_keys") <(echo "$keys"))"

placement='-\?[0-9]\+,-\?[0-9]\+,-\?[0-9]\+,-\?[0-9]\+,-\?[0-9]\+'
for dialog in Main Sound Log; do
  grep -q "^WPOS_Dlg_$dialog = $placement"$'\r$' "$ini" ||
    e2e_fail "bad placement line: $(grep "^WPOS_Dlg_$dialog " "$ini" | tr -d '\r')"
done
grep -qx $'Cmanip.Sneedsaveoptionsystem = 1\r' "$ini" || e2e_fail "Cmanip.Sneedsaveoptionsystem is not 1"
# Its own directory as Wine names it, so its files land beside it.
e2e_expect_eq "Clogfile.Slogfilename = $(wine_path "$E2E_PROGRAM")\\CELWRD.LOG" \
  "$(grep '^Clogfile.Slogfilename ' "$ini" | tr -d '\r')" "the default log file"
