#!/usr/bin/env bash
# The program never drops out of reach: with "ﾀｽｸﾊﾞｰから隠す" it hides only
# behind a tray icon the desktop shows; a panel started after it (a log-in
# autostart) gets the icon; a second start shows the window again.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

# The desktop's panel is not there yet.
watcher_pid() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.kde.StatusNotifierWatcher 2>/dev/null |
    grep -o '[0-9]\+' | tail -n 1
}
no_watcher() { [ -z "$(watcher_pid)" ]; }
panel=$(watcher_pid)
[ -n "$panel" ] || qe_fail "no tray to take away"
kill -TERM "$panel"
qe_until 10 "the panel did not go" no_watcher

qe_write_ini 'Cscreen.Shidetaskbar = 1' 'Cscreen.Sshowtasktray = 1'
qe_start
qe_wait_caption '^100%' 20
main=$(qe_main_window)
iconic() { xprop -id "$main" WM_STATE | grep -q Iconic; }
hidden() { xwininfo -id "$main" | grep -q IsUnMapped; }
shown() { ! iconic && ! hidden; }
in_front() { shown && [ "$(xdotool getwindowfocus)" = "$main" ]; }
qe_until 10 "the main window did not start minimised" iconic
# Two refreshes of the display later, and once the window manager has done
# all it was asked, it has not hidden without an icon.
qe_wait_refreshes 2 10
qe_wm_sync
iconic || qe_fail "the main window hid with no tray icon to bring it back"

# The panel comes: the icon registers, and the window hides behind it.
$QE_TRAY serve >>"$QE_WORK/late-tray.log" 2>&1 &
QE_PIDS+=($!)
qe_until 10 "the icon did not come with the panel" $QE_TRAY tip
qe_until 10 "the window did not hide behind the icon" hidden

second_start() {
  (cd "$QE_CWD" && exec "$QE_PROGRAM/celwrd") >>"$QE_WORK/second.log" 2>&1 &
  WINE_PID=$!
  wine_wait_exit 5 || qe_fail "the second start is still running after 5 s"
}
second_start
qe_until 10 "a second start did not bring the hidden window to the front" in_front

# No tray icon wanted: OK only minimises, and a second start shows it.
kill -TERM "$QE_PID"
qe_wait_exit 10
qe_write_ini 'Cscreen.Shidetaskbar = 1' 'Cscreen.Sshowtasktray = 0'
qe_start
qe_wait_caption '^100%' 20
main=$(qe_main_window)
second_start
qe_until 10 "a second start did not bring the minimised window to the front" in_front
qe_keys "$main" Return
qe_until 10 "OK did not put the window away" iconic
qe_wait_refreshes 2 10
qe_wm_sync
iconic || qe_fail "the window hid with the tray icon off"
second_start
qe_until 10 "a second start did not bring the window to the front again" in_front
qe_log "passed"
