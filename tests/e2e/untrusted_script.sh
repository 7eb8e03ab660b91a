#!/usr/bin/env bash
# An event script that others may write is not run, and the user is told:
# Wine gives a file 0666 in a 0777 folder an entry that lets Everyone write.
# The same script 0644 in a 0755 folder runs.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"
umask 022

marks=$E2E_WORK/marks.txt
m=$(wine_path "$marks")
e2e_write_script '[BOOT]' "$(wine_path "$E2E_WORK")" "MARK $m boot 0" \
  '[START]' "$(wine_path "$E2E_WORK")" "MARK $m start 0"
script=$E2E_PROGRAM/AUTOEXEC.CLW
power_set "$E2E_POWER" 1 Charging 50

chmod 777 "$E2E_PROGRAM"
chmod 666 "$script"
e2e_expect_eq "777 666" "$(stat -c %a "$E2E_PROGRAM" "$script" | tr '\n' ' ' | sed 's/ $//')" "modes of the open folder"
e2e_start
box=$(e2e_driver --wait 30000 msgbox ok) || e2e_fail "no message box about the script"
e2e_expect_match 'AUTOEXEC.CLW のプログラムを実行しませんでした' "$box" "the message box"
[ ! -e "$marks" ] || e2e_fail "the script others may write ran: $(cat "$marks")"
e2e_driver exit || e2e_fail "no main window to exit"
e2e_wait_exit 20

chmod 755 "$E2E_PROGRAM"
chmod 644 "$script"
e2e_expect_eq "755 644" "$(stat -c %a "$E2E_PROGRAM" "$script" | tr '\n' ' ' | sed 's/ $//')" "modes of the closed folder"
e2e_start
marked() { grep -qx "start end" "$marks" 2>/dev/null; }
e2e_until 30 "the script of a closed folder did not run" marked
e2e_expect_eq "boot start
boot end
start start
start end" "$(cat "$marks")" "marks of the start-up sections"
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
if box=$(e2e_driver --wait 2000 msgbox ok); then e2e_fail "a message box: $box"; fi
e2e_driver exit || e2e_fail "no main window to exit"
e2e_wait_exit 20
