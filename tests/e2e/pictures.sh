#!/usr/bin/env bash
# Takes the README's pictures of the real program under Wine, as root, after
# scripts/test has built it (it reuses that run's Wine prefix):
#   tests/e2e/pictures.sh
# The program runs on a fake battery discharging at 37 % with a measured
# 72 s per 1 % and the tray icon on. Saved in docs/: main-dialog.png (the
# main dialog restored), log-viewer.png, sound-dialog.png, tray.png (the
# tray icon with its tip), tray-menu.png (its menu) and health-window.png
# (the health window: Wine shows no battery device, so it says there is
# none, above the chart of five years of history put beside the program);
# and the English dialogs as main-dialog-en.png, log-viewer-en.png,
# sound-dialog-en.png and health-window-en.png.
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
: "${E2E_ROOT:=$source_dir/build/native/tests/e2e}"
: "${E2E_DRIVER:=$E2E_ROOT/e2e_driver.exe}"
# The English dialogs (*-en.png) first, from a run of their own under an
# English locale (before the namespace, which runs this script again).
if [ -z "${HARNESS_IN_NAMESPACE:-}" ]; then
  E2E_PICTURES=$source_dir/docs E2E_WORK=$E2E_ROOT/work/pictures-english bash "$source_dir/tests/e2e/english.sh" || exit 1
fi
. "$source_dir/tests/e2e/harness.sh"
e2e_begin "$@"

docs=$E2E_SOURCE/docs
mkdir -p "$docs"

# Crops the screen to GEOMETRY (WxH+X+Y), widened by MARGIN pixels.
photograph() {
  local geometry=$1 file=$2 margin=${3:-0}
  local w h x y
  [ -n "$geometry" ] || e2e_fail "nothing on the screen for $file"
  IFS='x+' read -r w h x y <<<"$geometry"
  geometry="$((w + 2 * margin))x$((h + 2 * margin))+$((x - margin))+$((y - margin))"
  wine_screenshot "$E2E_WORK/screen.png" || e2e_fail "no screenshot"
  convert "$E2E_WORK/screen.png" -crop "$geometry" +repage "$docs/$file"
  e2e_log "saved $docs/$file ($geometry)"
}

# The geometry of the program's window titled TITLE, as the driver sees it.
window_geometry() {
  e2e_driver windows | awk -v title="$1" '{ t = $6; for (i = 7; i <= NF; i++) t = t " " $i } t == title { print $5; exit }'
}

# The union of two geometries.
union() {
  local a=$1 b=$2 aw ah ax ay bw bh bx by
  IFS='x+' read -r aw ah ax ay <<<"$a"
  IFS='x+' read -r bw bh bx by <<<"$b"
  local x0=$((ax < bx ? ax : bx)) y0=$((ay < by ? ay : by))
  local x1=$((ax + aw > bx + bw ? ax + aw : bx + bw)) y1=$((ay + ah > by + bh ? ay + ah : by + bh))
  echo "$((x1 - x0))x$((y1 - y0))+$x0+$y0"
}

power_set "$E2E_POWER" 0 Discharging 37
python3 "$source_dir/tools/chart/make_long_history.py" 5 >"$E2E_PROGRAM/CELWRDHL.LOG"
e2e_write_ini 'Cscreen.Sshowtasktray = 1' 'Cbattery.Stimedef1pdischarge = 72000'
e2e_start
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
sleep 2

# The tray icon with its tip, the mouse resting on it.
icon=$(e2e_driver tips | head -n 1 | cut -d' ' -f1)
[ -n "$icon" ] || e2e_fail "no tray icon"
IFS='x+' read -r w h x y <<<"$icon"
xdotool mousemove $((x + w / 2)) $((y + h / 2))
sleep 2
tip=$(e2e_driver windows all | awk '$1 == "tooltips_class32" && $3 == "visible" { print $6; exit }')
[ -n "$tip" ] || e2e_fail "the tray icon's tip did not show"
photograph "$(union "$icon" "$tip")" tray.png 6

# Its menu, opened with the right button (the mouse moved off the icon
# first, so that the tip does not cover the menu).
xdotool mousemove $((x + w / 2)) $((y - 24))
sleep 1
e2e_driver tray right
sleep 1
menu=$(e2e_driver windows all | awk '$1 == "#32768" && $3 == "visible" { print $6; exit }')
[ -n "$menu" ] || e2e_fail "the tray menu did not open"
photograph "$(union "$icon" "$menu")" tray-menu.png 6
e2e_driver menu >/dev/null
xdotool mousemove 600 300

e2e_driver restore || e2e_fail "could not restore the main window"
sleep 2
photograph "$(window_geometry "$(e2e_driver caption)")" main-dialog.png

e2e_driver log || e2e_fail "could not open the log viewer"
sleep 2
photograph "$(window_geometry ﾛｸﾞ)" log-viewer.png

e2e_driver syscommand 30002 || e2e_fail "could not open the health window"  # CMD_HEALTH
sleep 2
photograph "$(window_geometry ﾊﾞｯﾃﾘｰの状態)" health-window.png

e2e_driver sound || e2e_fail "could not open the sound dialog"
sleep 2
photograph "$(window_geometry ｻｳﾝﾄﾞﾌｧｲﾙの設定)" sound-dialog.png
