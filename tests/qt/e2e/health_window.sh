#!/usr/bin/env bash
# The health window on the fake battery, opened from the tray's menu: its
# report shows the battery's figures (copied out as a user copies them),
# its chart draws five years of history kept beside the program, and while
# it is open the power is read now and then, so a new current shows within
# seconds. The screenshot stays in the work folder; with QE_PICTURES set
# to a directory it is also saved there as linux-health-window.png.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

bat=$QE_POWER/BAT0
power_set "$QE_POWER" 0 Discharging 60
echo 57020000 >"$bat/energy_full_design"
echo 50700000 >"$bat/energy_full"
echo 431 >"$bat/cycle_count"
echo SMP >"$bat/manufacturer"
echo 5B10W13930 >"$bat/model_name"
echo 5678 >"$bat/serial_number"
echo Li-ion >"$bat/technology"
# The history up to yesterday, the same battery since its swap.
python3 "$QE_SOURCE/tools/chart/make_long_history.py" 5 |
  awk -v today="$(date +%F)" '!/^time=/ || substr($0, 6, 10) < today' >"$QE_PROGRAM/CELWRDHL.LOG"

qe_write_ini 'Cscreen.Sshowtasktray = 1' 'Cbattery.Scheckinterval = 300'
qe_start
qe_wait_caption '^60%' 20
qe_until 10 "no tray icon registered" $QE_TRAY tip

# The tray's menu (the main window put away): its third item from the
# bottom is the health window.
$QE_TRAY context
qe_until 10 "no menu popped up" bash -c "[ \$(xdotool search --onlyvisible --pid $QE_PID 2>/dev/null | wc -l) -ge 1 ]"
xdotool key Up Up Up Return
qe_until 10 "the health window did not open" bash -c "xdotool search --onlyvisible --name '^ﾊﾞｯﾃﾘｰの状態\$' >/dev/null"
health=$(qe_window_named 'ﾊﾞｯﾃﾘｰの状態')

# The report as the clipboard gets it from the window's text.
report() {
  xdotool mousemove --window "$health" 40 40 click 1 >/dev/null 2>&1
  qe_keys "$health" ctrl+a ctrl+c
  timeout 5 xclip -o -selection clipboard 2>/dev/null
}
shows() { report | grep -qx -- "$1"; }
for line in '  ﾒｰｶｰ: SMP' '  ﾓﾃﾞﾙ: 5B10W13930' '  ｼﾘｱﾙ番号: 5678' '  種類: Li-ion' '  設計容量: 57.02 Wh' \
  '  満充電容量: 50.70 Wh' '  健全度: 88.9 %' '  劣化度: 11.1 %' '  ｻｲｸﾙ数: 431' '  電力: -11.10 W' '  電圧: 11.10 V'; do
  qe_until 10 "the window does not show '$line': $(report)" shows "$line"
done
# Past sixty days of the same battery: the pace and the forecast.
forecast_shown() { report | grep -q '^  予測: '; }
qe_until 5 "no forecast: $(report)" forecast_shown

# Read while the window is open: twice the current, twice the power.
power_write "$bat/current_now" 2000000
qe_until 15 "the power did not follow: $(report)" shows '  電力: -22.20 W'

# Back to the start of the text ends the selection the copying made; the
# focus then goes on to the button, so no caret shows in the picture.
qe_keys "$health" ctrl+Home Tab
sleep 1
qe_screenshot "$QE_WORK/screen.png" || qe_fail "no screenshot"
frame=$(xwininfo -tree -id "$health" | awk '/Parent window id:/ { print $4 }')
geometry=$(xwininfo -id "$frame" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
  /Width:/ { w = $2 } /Height:/ { h = $2 } END { printf "%dx%d+%d+%d\n", w, h, x, y }')
convert "$QE_WORK/screen.png" -crop "$geometry" +repage "$QE_WORK/health-window.png"
# The chart: the battery's blue line and the swap's orange one are drawn.
colour_count() { convert "$QE_WORK/health-window.png" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:int(mean*w*h)]' info:; }
[ "$(colour_count '#1F5FBF')" -gt 300 ] || qe_fail "no health line in the chart ($QE_WORK/health-window.png)"
[ "$(colour_count '#E08000')" -gt 20 ] || qe_fail "no swap marked in the chart ($QE_WORK/health-window.png)"
if [ -n "${QE_PICTURES:-}" ]; then
  cp "$QE_WORK/health-window.png" "$QE_PICTURES/linux-health-window.png"
  qe_log "saved $QE_PICTURES/linux-health-window.png"
fi

# Escape closes it; the program runs on.
qe_keys "$health" Escape
qe_until 10 "the health window did not close" bash -c "[ -z \"\$(xdotool search --onlyvisible --name '^ﾊﾞｯﾃﾘｰの状態\$')\" ]"
qe_wait_caption '^60%' 10
kill -TERM "$QE_PID"
qe_wait_exit 20
qe_log "passed"
