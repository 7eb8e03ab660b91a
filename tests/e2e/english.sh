#!/usr/bin/env bash
# The program under an English locale: the English templates (the dialogs'
# titles, the buttons' texts), the version box, the same caption as in
# Japanese, a log as in Japanese, and the same settings file written by a
# Japanese start; --lang en under the Japanese locale. With
# E2E_PICTURES set to a directory, the main dialog, the log viewer, the
# sound dialog, the health window and the tray menu are photographed there
# (*-en.png).
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"
locale -a 2>/dev/null | grep -qix 'en_US\.utf-\?8' || localedef -i en_US -f UTF-8 en_US.UTF-8 2>/dev/null ||
  e2e_log "no generated en_US.UTF-8 (Debian package locales)"
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
unset LANGUAGE LC_MESSAGES

e2e_write_ini 'Cscreen.Sshowtasktray = 1' 'Clogfile.Sneedsavelogfile = 1' 'Cbattery.Scheckinterval = 300' \
  'Cbattery.Stimedef1pdischarge = 72000'
power_set "$E2E_POWER" 0 Discharging 37
e2e_start
# The caption's items and formats are the same in every language.
e2e_wait_caption '^37%' 30
e2e_driver restore || e2e_fail "could not restore the main window"

# By title; the main window (whose title is the clock's) as "main".
window_geometry() {
  e2e_driver windows | awk -v title="$1" '{ t = $6; for (i = 7; i <= NF; i++) t = t " " $i }
    t == title || (title == "main" && $1 == "unowned") { print $5; exit }'
}
# The screen cropped to GEOMETRY (WxH+X+Y) as NAME.
crop() {
  wine_screenshot "$E2E_WORK/screen.png" || e2e_fail "no screenshot"
  convert "$E2E_WORK/screen.png" -crop "$1" +repage "$E2E_PICTURES/$2"
  e2e_log "saved $E2E_PICTURES/$2"
}
photograph() {
  [ -n "${E2E_PICTURES:-}" ] || return 0
  local geometry
  sleep 2
  geometry=$(window_geometry "$1")
  [ -n "$geometry" ] || e2e_fail "no window titled $1 for $2"
  crop "$geometry" "$2"
}
photograph main main-dialog-en.png

# OK, Cancel and Apply: the English buttons of the English template.
for row in '1 OK' '2 Cancel' '16 &Apply' '10014 E&xit'; do
  e2e_expect_eq "${row#* }" "$(e2e_driver text "${row%% *}")" "the text of button ${row%% *}"
done

e2e_driver log || e2e_fail "could not open the log viewer"
titled() { [ -n "$(window_geometry "$1")" ]; }
e2e_until 10 "no English log viewer" titled 'Battery Log'
photograph 'Battery Log' log-viewer-en.png

e2e_driver sound || e2e_fail "could not open the sound dialog"
e2e_until 10 "no English sound dialog" titled 'Sounds'
photograph 'Sounds' sound-dialog-en.png
# Every English text fits its control in the template's font.
e2e_driver fits 'MS Shell Dlg' 8 || e2e_fail "a text of the main dialog does not fit"
e2e_driver --window Sounds fits 'MS Shell Dlg' 8 || e2e_fail "a text of the sound dialog does not fit"
e2e_driver --window Sounds press 2

# The version box: its English caption and text.
e2e_driver press 10015
e2e_expect_eq 'About Cellwarden|Cellwarden "Tamberlo"/Voltarium/V1.05A/Build 1999/07/12' "$(e2e_driver msgbox)" \
  "the version box"

# The health window from the window menu: English, saying (Wine lists no
# battery) that there is none, every text fitting its control.
e2e_driver syscommand 30002 || e2e_fail "the window menu's health item could not be chosen"
e2e_until 10 "no English health window" titled 'Battery Health'
health_text() { e2e_driver --window 'Battery Health' get 10401 | tr -d '\r'; }
e2e_until 10 "the health window does not say there is no battery: $(health_text)" \
  eval '[ "$(health_text)" = "No battery" ]'
e2e_expect_eq 'Close' "$(e2e_driver --window 'Battery Health' text 1)" "the health window's button"
e2e_driver --window 'Battery Health' fits 'MS Shell Dlg' 8 || e2e_fail "a text of the health window does not fit"
photograph 'Battery Health' health-window-en.png
e2e_driver --window 'Battery Health' press 1
e2e_until 10 "the health window did not close" eval '! titled "Battery Health"'

# The tray icon's menu: the window menu with the English items added; the
# system's own items are in the system's language.
if [ -n "${E2E_PICTURES:-}" ]; then
  icon=$(e2e_driver tips | head -n 1 | cut -d' ' -f1)
  [ -n "$icon" ] || e2e_fail "no tray icon"
  IFS='x+' read -r w h x y <<<"$icon"
  xdotool mousemove $((x + w / 2)) $((y - 24))
  e2e_driver tray right
  sleep 1
  menu=$(e2e_driver windows all | awk '$1 == "#32768" && $3 == "visible" { print $6; exit }')
  [ -n "$menu" ] || e2e_fail "the tray menu did not open"
  IFS='x+' read -r mw mh mx my <<<"$menu"
  crop "$((mw + 12))x$((y + h - my + 12))+$((mx - 6))+$((my - 6))" tray-menu-en.png
  e2e_driver menu >/dev/null
fi

e2e_driver exit
e2e_wait_exit 10
[ "$HARNESS_STATUS" = 0 ] || e2e_fail "exit code $HARNESS_STATUS"
log=$E2E_PROGRAM/CELWRD.LOG
[ "$(grep -c '' "$log")" -ge 2 ] || e2e_fail "the log has too few lines: $(cat "$log")"
LC_ALL=C grep -q '[^ -~]' <(tr -d '\r' <"$log") && e2e_fail "the log holds other than ASCII: $(cat "$log")"

# Under the Japanese locale the same start speaks Japanese and writes the
# same settings file, apart from the windows' placements; --lang en there
# speaks English again.
ini=$E2E_PROGRAM/celwrd.INI
english_ini=$(grep -v '^WPOS_' "$ini")
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# Help opens the page beside the program at the part in the program's
# language: the browser (here one that only writes down what it was given)
# gets the page's URL with that part's fragment.
cp "$E2E_SOURCE/resources/help/celwrd.html" "$E2E_PROGRAM/"
opened=$E2E_WORK/opened
printf '[-HKEY_CLASSES_ROOT\\http\\shell\\open\\ddeexec]\n[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]\n@="cmd.exe /c echo %%1>>Z:%s"\n' \
  "${opened//\//\\\\}" | wine_registry_import || e2e_fail "could not register the fake browser"
for run in ja en; do
  if [ "$run" = ja ]; then e2e_start; else e2e_start --lang en; fi
  e2e_wait_caption '^37%' 30
  wanted='更新(&A)'
  [ "$run" = en ] && wanted='&Apply'
  e2e_expect_eq "$wanted" "$(e2e_driver text 16)" "the apply button under ja_JP.UTF-8 ($run)"
  rm -f "$opened"
  e2e_driver press 9
  e2e_until 20 "Help opened nothing ($run)" test -s "$opened"
  e2e_expect_eq "file:///Z:$E2E_PROGRAM/celwrd.html#$run" "$(tr -d '\r' <"$opened")" "the page Help opened ($run)"
  if [ "$run" = ja ]; then
    e2e_driver fits 'ＭＳ Ｐゴシック' 9 || e2e_fail "a text of the Japanese main dialog does not fit"
  fi
  e2e_driver exit
  e2e_wait_exit 10
  [ "$HARNESS_STATUS" = 0 ] || e2e_fail "exit code $HARNESS_STATUS ($run)"
  e2e_expect_eq "$english_ini" "$(grep -v '^WPOS_' "$ini")" "the settings file written in $run"
done
e2e_log "passed"
