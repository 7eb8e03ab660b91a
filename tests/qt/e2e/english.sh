#!/usr/bin/env bash
# The program under an English locale: the English templates (their window
# titles and access keys), the version box, the same caption as in
# Japanese, a log written as in Japanese, and the same settings file
# written by a Japanese start. With QE_PICTURES set to a
# directory, the main dialog, the log viewer, the sound dialog, the health
# window and the tray menu are photographed there (linux-*-en.png). The
# tray's menu read over D-Bus and the health window's report are English.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"
# A generated locale, so that the tools around the program keep quiet too.
locale -a 2>/dev/null | grep -qix 'en_US\.utf-\?8' || localedef -i en_US -f UTF-8 en_US.UTF-8 2>/dev/null ||
  qe_log "no generated en_US.UTF-8 (Debian package locales): the program still reads LANG"
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
unset LANGUAGE LC_MESSAGES

qe_write_ini 'Cscreen.Sshowtasktray = 1' 'Clogfile.Sneedsavelogfile = 1' 'Cbattery.Scheckinterval = 300' \
  'Cbattery.Stimedef1pdischarge = 72000'
power_set "$QE_POWER" 0 Discharging 37
# The help page, beside the program, goes to a browser that only says what
# it was asked to open.
cp "$QE_SOURCE/resources/help/celwrd.html" "$QE_PROGRAM/"
mkdir -p "$QE_WORK/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/opened"\n' "$QE_WORK" >"$QE_WORK/bin/xdg-open"
chmod +x "$QE_WORK/bin/xdg-open"
PATH=$QE_WORK/bin:$PATH qe_start
# The caption's items and formats are the same in every language.
qe_wait_caption '^37%' 20
qe_show_main
main=$QE_MAIN
gone() { [ -z "$(qe_window_named "$1")" ]; }
shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null; }

qe_photograph "$main" linux-main-dialog-en.png

# "&View": the English log viewer.
qe_keys "$main" alt+v
qe_until 10 "alt+v did not open the English log viewer" shown 'Battery Log'
viewer=$(qe_window_named 'Battery Log')
power_set "$QE_POWER" 0 Discharging 36
qe_wait_caption '^36%' 10
qe_photograph "$viewer" linux-log-viewer-en.png
qe_keys "$viewer" Escape
qe_until 5 "Escape did not close the log viewer" gone 'Battery Log'

# "S&ounds...": the English sound dialog; Escape cancels it.
qe_keys "$main" alt+o
qe_until 10 "alt+o did not open the English sound dialog" shown 'Sounds'
sound=$(qe_window_named 'Sounds')
qe_photograph "$sound" linux-sound-dialog-en.png
qe_keys "$sound" Escape
qe_until 5 "Escape did not cancel the sound dialog" gone 'Sounds'

# "Abou&t": a message box under its English caption; Return closes it.
qe_keys "$main" alt+t
qe_until 10 "alt+t did not open the version box" shown 'About Cellwarden'
box=$(qe_window_named 'About Cellwarden')
qe_keys "$box" Return
qe_until 5 "Return did not close the version box" gone 'About Cellwarden'

# "Help" has no access key: a click at its middle, from the template (the
# main dialog's width, the button's x and width; 59 to 73 of 259 high).
click_help() {
  local WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
  xdotool mousemove --window "$1" $((WIDTH * ($3 + $4 / 2) / $2)) $((HEIGHT * 66 / 259)) click 1
}
opened() { [ -s "$QE_WORK/opened" ]; }
# What the browser was first asked to open; a window just shown may miss a
# click, so up to three.
help_opens() {
  local try
  rm -f "$QE_WORK/opened"
  for try in 1 2 3; do
    click_help "$@"
    wine_wait_for 5 opened && break
  done
  opened || qe_fail "Help opened nothing"
  head -n 1 "$QE_WORK/opened"
}
# The page at its English part.
page=$(help_opens "$main" 250 206 40)
[ "$page" = "file://$QE_PROGRAM/celwrd.html#en" ] || qe_fail "Help opened '$page'"

# The tray icon's menu (a right click) in English: photographed where it
# opens, at the pointer; Escape closes it.
if [ -n "${QE_PICTURES:-}" ]; then
  xdotool mousemove 700 500
  $QE_TRAY context || qe_fail "no tray icon to right-click"
  sleep 1
  qe_screenshot "$QE_WORK/screen.png" || qe_fail "no screenshot"
  convert "$QE_WORK/screen.png" -crop 176x88+698+498 +repage "$QE_PICTURES/linux-tray-menu-en.png"
  qe_log "saved $QE_PICTURES/linux-tray-menu-en.png"
  xdotool key Escape
fi

# The menu panels read over D-Bus says the window menu's English words;
# its health row opens the English health window, whose report is English.
rows=$($QE_TRAY menu | tr '\n' '|')
[ "$rows" = "_Restore|-|Battery _Health|_About Cellwarden|E_xit|" ] || qe_fail "the tray's menu reads '$rows'"
$QE_TRAY choose 'Battery _Health' || qe_fail "the tray's menu could not be clicked"
qe_until 10 "the tray's health row did not open the English health window" shown 'Battery Health'
health=$(qe_window_named 'Battery Health')
report() {
  xdotool mousemove --window "$health" 40 40 click 1 >/dev/null 2>&1
  qe_keys "$health" ctrl+a ctrl+c
  timeout 5 xclip -o -selection clipboard 2>/dev/null
}
english_report() { report | grep -q '^  Full charge capacity: ' && ! report | LC_ALL=C grep -q '[^ -~]'; }
qe_until 10 "the health window's report is not English: $(report)" english_report
qe_keys "$health" ctrl+Home Tab
qe_photograph "$health" linux-health-window-en.png
qe_keys "$health" Escape
qe_until 5 "Escape did not close the health window" gone 'Battery Health'

# "E&xit".
qe_keys "$main" alt+x
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS"
# The log reads as in Japanese: the markers and a line per percent, ASCII.
log=$(find "$QE_PROGRAM" -iname 'celwrd.log' | head -n 1)
[ -n "$log" ] && [ "$(grep -c '' "$log")" -ge 3 ] || qe_fail "the log has too few lines: $(cat "$log" 2>/dev/null)"
LC_ALL=C grep -q '[^ -~]' <(tr -d '\r' <"$log") && qe_fail "the log holds other than ASCII: $(cat "$log")"

# A start under the Japanese locale writes the same settings file, apart
# from the windows' placements.
ini=$(find "$QE_PROGRAM" -iname 'celwrd.ini' | head -n 1)
[ -n "$ini" ] || qe_fail "no settings file was written"
english_ini=$(grep -v '^WPOS_' "$ini")
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
PATH=$QE_WORK/bin:$PATH qe_start
qe_wait_caption '^36%' 20
# "Help" in Japanese: the page at its Japanese part.
qe_show_main
page=$(help_opens "$QE_MAIN" 214 172 36)
[ "$page" = "file://$QE_PROGRAM/celwrd.html#ja" ] || qe_fail "Help opened '$page' in Japanese"
kill -TERM "$QE_PID"
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS under ja_JP.UTF-8"
[ "$english_ini" = "$(grep -v '^WPOS_' "$ini")" ] ||
  qe_fail "the settings file differs: $(diff <(echo "$english_ini") <(grep -v '^WPOS_' "$ini"))"
qe_log "passed"
