#!/usr/bin/env bash
# Takes the README's pictures of the Linux program, as root, after
# scripts/test has built it: the three dialogs (through dialogs.sh), the
# health window (through health_window.sh), the tray icon with its tip and
# its menu in an X tray, and a low alert's notification as dunst shows it
# (Debian: dunst). Saved in docs/ as linux-main-dialog.png,
# linux-log-viewer.png, linux-sound-dialog.png, linux-health-window.png,
# linux-tray.png, linux-tray-menu.png and linux-notification.png.
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
export QE_PICTURES=$source_dir/docs
# (qe_begin runs this script again inside its namespace: the dialogs once.)
[ -n "${QE_IN_NAMESPACE:-}" ] || bash "$source_dir/tests/qt/e2e/dialogs.sh" || exit 1
# The English ones, linux-*-en.png.
[ -n "${QE_IN_NAMESPACE:-}" ] || bash "$source_dir/tests/qt/e2e/english.sh" || exit 1
[ -n "${QE_IN_NAMESPACE:-}" ] || bash "$source_dir/tests/qt/e2e/health_window.sh" || exit 1
export QE_TRAY_HOST=xembed QE_WORK=${TMPDIR:-/tmp}/cellwarden-qt-e2e/pictures
. "$source_dir/tests/qt/e2e/harness.sh"
qe_begin "$@"

qe_write_ini 'Cscreen.Sshowtasktray = 1' 'Cbattery.Stimedef1pdischarge = 72000'
power_set "$QE_POWER" 0 Discharging 37
qe_start
qe_wait_caption '^37%' 20
# trayer's panel holds nothing but our icon: its middle is the icon.
qe_until 10 "no tray panel" bash -c "xdotool search --name '^panel\$' >/dev/null"
sleep 2
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name '^panel$' | head -n 1)")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
sleep 3
qe_screenshot "$QE_WORK/screen.png"
convert "$QE_WORK/screen.png" -gravity southeast -crop 420x90+0+0 +repage "$QE_PICTURES/linux-tray.png"
qe_log "saved $QE_PICTURES/linux-tray.png"
xdotool click 3
sleep 2
qe_screenshot "$QE_WORK/screen.png"
convert "$QE_WORK/screen.png" -gravity southeast -crop 300x120+0+0 +repage "$QE_PICTURES/linux-tray-menu.png"
qe_log "saved $QE_PICTURES/linux-tray-menu.png"
xdotool key Escape

# The low alert (the charge falls to 20 %) as a desktop notification.
if command -v dunst >/dev/null; then
  dunst -geometry 360x5-10+10 >"$QE_WORK/dunst.log" 2>&1 &
  QE_PIDS+=($!)
  sleep 1
  power_set "$QE_POWER" 0 Discharging 20
  qe_wait_caption '^20%' 10
  sleep 2
  qe_screenshot "$QE_WORK/screen.png"
  convert "$QE_WORK/screen.png" -gravity northeast -crop 400x110+0+0 +repage "$QE_PICTURES/linux-notification.png"
  qe_log "saved $QE_PICTURES/linux-notification.png"
fi
kill -TERM "$QE_PID"
qe_wait_exit 10
