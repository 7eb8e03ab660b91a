#!/usr/bin/env bash
# The files a run leaves: from a fresh directory, exit through the tray
# menu writes the 38 lines of the defaults, byte for byte, and nothing else
# but the lock file that saves take turns by;
# the next run starts minimised whatever the file said, and with logging
# on leaves a log of its open marker, its status line and its close marker.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

ini=$E2E_PROGRAM/celwrd.INI
here=$(wine_path "$E2E_PROGRAM")
never='-2147483648,-2147483648,-2147483648,-2147483648,0'
# The main window's state once it is shown (the caption is there a moment
# before): its first shown state is the one that counts.
main_state() { e2e_driver windows | awk '$1 == "unowned" && $2 == "visible" { print $3; exit }'; }
shown() { [ -n "$(main_state)" ]; }

power_set "$E2E_POWER" 0 Discharging 50
e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
e2e_until 5 "the main window was not shown" shown
e2e_expect_eq minimised "$(main_state)" "the main window at start"
e2e_driver tray right
e2e_driver menu 1 >/dev/null || e2e_fail "no window menu from the tray"
e2e_wait_exit 20
e2e_expect_eq 0 "$E2E_STATUS" "exit code"
e2e_expect_files "$E2E_PROGRAM" celwrd.exe celwrd.INI celwrd.LCK
e2e_expect_files "$E2E_CWD"
# Exit applies the dialog, whose seconds per 1 % are at least 1: the
# default 0 ms is saved as 1000.
e2e_expect_match '^WPOS_Dlg_Main = -?[0-9]+,-?[0-9]+,[0-9]+,[0-9]+,-?[0-9]+'$'\r''$' "$(head -n 1 "$ini")" "first line"
printf '%s\r\n' "WPOS_Dlg_Sound = $never" "WPOS_Dlg_Log = $never" \
  'Cscreen.Sdisplayitems[0] = 1' 'Cscreen.Sdisplayitems[1] = 2' 'Cscreen.Sdisplayitems[2] = 3' \
  'Cscreen.Sdisplayitems[3] = 4' 'Cscreen.Sdisplayitems[4] = 5' 'Cscreen.Sdisplayinterval = 1000' \
  'Cscreen.Stimeformat = 0' 'Cscreen.Shidetaskbar = 0' 'Cscreen.Sshowtasktray = 0' \
  'Cbattery.Stimedef1pcharge = 1000' 'Cbattery.Stimedef1pdischarge = 1000' 'Cbattery.Sautosetchargetime = 1' \
  'Cbattery.Sautosetdischargetime = 1' 'Cbattery.Scheckinterval = 1000' 'Clogfile.Sneedsavelogfile = 0' \
  'Clogfile.Sneedsavelogfiletime = 0' 'Clogfile.Sneedsavelogfilebattery = 1' 'Clogfile.Soutputinterval = 60000' \
  "Clogfile.Slogfilename = $here\\CELWRD.LOG" \
  'Csound.Sacfilename = C:\windows\MEDIA\DING.WAV' 'Csound.Sacbatteryfilename = C:\windows\MEDIA\DING.WAV' \
  'Csound.Schargefilename = C:\windows\MEDIA\TADA.WAV' 'Csound.Sdischargefilename = C:\windows\MEDIA\CHORD.WAV' \
  'Csound.Sfullbatteryfilename = C:\windows\MEDIA\The Microsoft Sound.wav' \
  'Csound.Slowbatteryfilename = C:\windows\MEDIA\CHIMES.WAV' 'Csound.Sfullbatteryperc = 95' \
  'Csound.Slowbatteryperc = 20' 'Csound.Sacfilenameenable = 1' 'Csound.Sacbatteryfilenameenable = 1' \
  'Csound.Schargefilenameenable = 1' 'Csound.Sdischargefilenameenable = 1' \
  'Csound.Sfullbatteryfilenameenable = 1' 'Csound.Slowbatteryfilenameenable = 1' \
  'Cmanip.Sneedsaveoptionsystem = 1' 'Cmanip.Sasksuspendok = 0' >"$E2E_WORK/expected.INI"
tail -n +2 "$ini" >"$E2E_WORK/actual.INI"
cmp -s "$E2E_WORK/expected.INI" "$E2E_WORK/actual.INI" ||
  e2e_fail "celwrd.INI after the first run differs from the defaults:
$(diff <(cat -A "$E2E_WORK/expected.INI") <(cat -A "$E2E_WORK/actual.INI"))"

# Saved as a normal window, with logging on: still starts minimised. With
# the display every 10 minutes, caption and tray show the status at start.
sed -i 's/^\(WPOS_Dlg_Main = [^,]*,[^,]*,[^,]*,[^,]*,\)-\?[0-9]*\r$/\10\r/; s/^Clogfile.Sneedsavelogfile = 0\r$/Clogfile.Sneedsavelogfile = 1\r/' "$ini"
sed -i 's/^Cscreen.Sdisplayinterval = 1000\r$/Cscreen.Sdisplayinterval = 600000\r/; s/^Cscreen.Sshowtasktray = 0\r$/Cscreen.Sshowtasktray = 1\r/' "$ini"
e2e_start
e2e_wait_caption '^50% ' 30
tip_shown() { e2e_driver tips | grep -q ' 50% '; }
e2e_until 30 "no tray tip with the status at start: [$(e2e_driver tips)]" tip_shown
e2e_until 5 "the main window was not shown" shown
e2e_expect_eq minimised "$(main_state)" "the main window at start when saved normal"
logged() { [ "$(grep -c . "$E2E_PROGRAM/CELWRD.LOG" 2>/dev/null)" -ge 2 ]; }
e2e_until 10 "no status line in the log" logged
e2e_driver exit
e2e_wait_exit 20
log=$E2E_PROGRAM/CELWRD.LOG
e2e_expect_crlf_lines "$log"
e2e_expect_eq 3 "$(wc -l <"$log")" "lines in the log of one run"
today=$(date +%Y/%m/%d)
stamp=' [ 1-2][0-9]:[0-9]{2}:[0-9]{2}'
e2e_expect_match "^\\[Open logfile at $today$stamp\\]"$'\r$' "$(sed -n 1p "$log")" "the open marker"
e2e_expect_match '^Discharge \|  50% \|    1sec/1% \| end'$'.*\r$' "$(sed -n 2p "$log")" "the status line"
e2e_expect_match "^\\[Close logfile at $today$stamp\\]"$'\r$' "$(sed -n 3p "$log")" "the close marker"
e2e_expect_eq 'Clogfile.Sneedsavelogfile = 1' "$(grep -a '^Clogfile.Sneedsavelogfile ' "$ini" | tr -d '\r')" "logging in the file"
e2e_expect_eq 38 "$(wc -l <"$ini")" "lines in celwrd.INI"
