#!/usr/bin/env bash
# Takes the README's pictures of the real program under Wine (run as root
# after scripts/test has built it): tests/e2e/pictures.sh
# The program runs on a fake battery discharging at 37 % with a measured
# 72 s per 1 % and the tray icon on; the main dialog is restored and
# photographed as docs/main-dialog.png.
. "$(dirname "$0")/harness.sh"
: "${E2E_DRIVER:=$E2E_SOURCE/build/native/tests/e2e/e2e_driver.exe}"
e2e_begin "$@"

docs=$E2E_SOURCE/docs
mkdir -p "$docs"
power_set "$E2E_POWER" 0 Discharging 37
printf 'Cscreen.Sshowtasktray = 1\r\nCbattery.Stimedef1pdischarge = 72000\r\n' >"$E2E_PROGRAM/celwrd.INI"
e2e_start
e2e_driver caption 20000 >/dev/null || e2e_fail "no main window"
sleep 2
e2e_driver restore || e2e_fail "could not restore the main window"
sleep 2

# The dialog's own rectangle, as the X server has it.
geometry=$(xwininfo -root -tree | grep '("celwrd.exe"' | grep -v 'has no name\|Default IME' |
  sed -n 's/.*  \([0-9]\+x[0-9]\+\)+\(-\?[0-9]\+\)+\(-\?[0-9]\+\) .*/\1+\2+\3/p' |
  sort -t x -k1,1nr | head -n 1)
[ -n "$geometry" ] || e2e_fail "the main dialog is not on the screen"
wine_screenshot "$E2E_WORK/screen.png" || e2e_fail "no screenshot"
convert "$E2E_WORK/screen.png" -crop "$geometry" +repage "$docs/main-dialog.png"
e2e_log "saved $docs/main-dialog.png ($geometry)"
e2e_driver exit || true
e2e_wait_exit 20
