#!/usr/bin/env bash
# Takes the README's pictures of the real program under Wine (run as root
# after scripts/test has built it): tests/e2e/pictures.sh
# The program runs on a fake battery discharging at 37 % with a measured
# 72 s per 1 % and the tray icon on. Saved in docs/: main-dialog.png (the
# main dialog restored), log-viewer.png and sound-dialog.png.
. "$(dirname "$0")/harness.sh"
: "${E2E_DRIVER:=$E2E_SOURCE/build/native/tests/e2e/e2e_driver.exe}"
e2e_begin "$@"

docs=$E2E_SOURCE/docs
mkdir -p "$docs"

# Crops the screen to the program's window whose title is TITLE.
photograph() {
  local title=$1 file=$2 geometry
  geometry=$(xwininfo -root -tree | grep -F "\"$title\": (\"celwrd.exe\"" |
    sed -n 's/.*  \([0-9]\+x[0-9]\+\)+\(-\?[0-9]\+\)+\(-\?[0-9]\+\) .*/\1+\2+\3/p' | head -n 1)
  [ -n "$geometry" ] || e2e_fail "no window \"$title\" on the screen"
  wine_screenshot "$E2E_WORK/screen.png" || e2e_fail "no screenshot"
  convert "$E2E_WORK/screen.png" -crop "$geometry" +repage "$docs/$file"
  e2e_log "saved $docs/$file ($geometry)"
}

power_set "$E2E_POWER" 0 Discharging 37
printf 'Cscreen.Sshowtasktray = 1\r\nCbattery.Stimedef1pdischarge = 72000\r\n' >"$E2E_PROGRAM/celwrd.INI"
e2e_start
e2e_driver --wait 20000 caption >/dev/null || e2e_fail "no main window"
sleep 2
e2e_driver restore || e2e_fail "could not restore the main window"
sleep 2
photograph "$(e2e_driver caption)" main-dialog.png

e2e_driver log || e2e_fail "could not open the log viewer"
sleep 2
photograph "ﾛｸﾞ" log-viewer.png

e2e_driver sound || e2e_fail "could not open the sound dialog"
sleep 2
photograph "ｻｳﾝﾄﾞﾌｧｲﾙの設定" sound-dialog.png
