# End-to-end test harness for the Linux program (build/native/celwrd). A
# test script sources this file and calls `qe_begin "$@"` first; from then
# on it runs as root inside a private mount namespace with
#
#   $QE_POWER    a fake power-supply tree bound over /sys/class/power_supply
#                (change it with power_set / power_remove_battery)
#   $QE_PROGRAM  a fresh program directory holding celwrd
#   $QE_CWD      an empty directory, the program's current directory
#   a private Xvfb ($DISPLAY), session bus with a tray (tray_host.py), system
#   bus with a mock logind (python3-dbusmock), and $XDG_RUNTIME_DIR.
#
# Everything the test started ends when it exits, passed or failed: the
# program, the pieces above (by their ids, in QE_PIDS), then by its id
# whatever else is still running below the test (its shell is a child
# subreaper, so nothing escapes to PID 1; a test killed on its CTest timeout
# takes all of it along). A new test starts the program with qe_start (or a
# process of its own in the background with `&`, ending it itself by $!),
# and waits with qe_until / qe_wait_caption / qe_wait_refreshes /
# qe_wait_exit, never with a bare sleep: every wait is bounded and lasts at
# least $QE_MIN_WAIT seconds (30), since a loaded machine is slow; a wait
# that is met returns at once. A piece of the desktop that does not come up
# is started once more ("retrying: ..." in the output): that failure is the
# machine's, not the program's. What this suite shares with the Wine one is
# in tests/e2e/common.sh.
#
# Set by CTest (ui/qt/e2e.cmake); the defaults suit a run by hand:
#   CELLWARDEN_BIN  the program under test
#   QE_WORK         this test's directory (emptied first, kept afterwards)

QE_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
. "$QE_SOURCE/scripts/wine.sh"

: "${CELLWARDEN_BIN:=$QE_SOURCE/build/native/celwrd}"
: "${QE_WORK:=${TMPDIR:-/tmp}/cellwarden-qt-e2e/$(basename "$0" .sh)}"
QE_NAME=$(basename "$0" .sh)
: "${QE_MIN_WAIT:=30}"
QE_PID=
QE_PIDS=()
QE_PYTHON=/usr/bin/python3
QE_TRAY="$QE_PYTHON $QE_SOURCE/tests/qt/e2e/tray_host.py"
QE_FAILED=0

. "$QE_SOURCE/tests/e2e/common.sh"
harness_names QE
HARNESS_BINARY=$CELLWARDEN_BIN
HARNESS_BINARY_NAME=celwrd
HARNESS_OUTPUT=$QE_WORK/program.log

# The shared helpers by this suite's names.
qe_log() { harness_log "$@"; }
qe_fail() { harness_fail "$@"; }
qe_begin() { harness_begin "$@"; }
qe_end() { harness_end "$@"; }
qe_bound() { harness_bound "$@"; }
qe_start() { harness_start "$@"; }
qe_wait_exit() { harness_wait_exit "$@"; }
qe_wait_caption() { harness_wait_caption "$@"; }
qe_wait_refreshes() { harness_wait_refreshes "$@"; }
qe_until() { harness_until "$@"; }
qe_write_ini() { harness_write_ini "$@"; }
qe_ini() { harness_ini "$@"; }
qe_write_script() { harness_write_script "$@"; }
qe_screenshot() { harness_screenshot "$@"; }

# A permissive bus of our own, NAME (session or system), on a socket in
# QE_WORK; its address goes to QE_BUS_ADDRESS and its pid joins QE_PIDS.
qe_bus_start() {
  local name=$1 socket=$QE_WORK/$1.sock
  cat >"$QE_WORK/$name.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$name</type>
  <listen>unix:path=$socket</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
    <allow user="*"/>
  </policy>
</busconfig>
CONF
  rm -f "$socket"
  qe_service "the $name bus" "$QE_WORK/$name-bus.log" "test -S $socket" \
    dbus-daemon --config-file="$QE_WORK/$name.conf" --nofork --nopidfile
  QE_BUS_ADDRESS=unix:path=$socket
}

# Starts COMMAND in the background as a piece of the test's desktop (its
# pid joins QE_PIDS, its output goes to LOG) and waits until READY, a
# command line, succeeds. A piece that does not come up within
# $QE_MIN_WAIT s is ended and started once more.
qe_service() {
  local what=$1 log=$2 ready=$3 try pid
  shift 3
  for try in 1 2; do
    "$@" >>"$log" 2>&1 &
    pid=$!
    QE_PIDS+=("$pid")
    wine_wait_for "$QE_MIN_WAIT" $ready && return 0
    wine_end_pid "$pid" 5
    [ "$try" = 2 ] || echo "retrying: $what did not start within $QE_MIN_WAIT s ($(tail -n 1 "$log"))"
  done
  qe_fail "$what did not start, twice: $(tail -n 5 "$log")"
}

harness_prepare() {
  [ -x "$CELLWARDEN_BIN" ] || qe_fail "no program at $CELLWARDEN_BIN: build it first (scripts/test builds build/native/celwrd)"
  for tool in Xvfb openbox dbus-daemon gdbus xdotool; do
    command -v "$tool" >/dev/null || qe_fail "$tool is missing"
  done
  $QE_PYTHON -c 'import dbusmock' 2>/dev/null || qe_fail "python3-dbusmock is missing"
}

harness_desktop_start() {
  wine_xvfb_start "$QE_WORK" || qe_fail "no X server"
  QE_PIDS+=("$WINE_XVFB_PID")
  # A window manager, as on a desktop: windows minimise, take the focus
  # when asked, and have title bars in the pictures.
  qe_service "the window manager" "$QE_WORK/openbox.log" qe_wm_ready openbox --sm-disable

  export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS
  qe_bus_start session
  DBUS_SESSION_BUS_ADDRESS=$QE_BUS_ADDRESS
  qe_bus_start system
  DBUS_SYSTEM_BUS_ADDRESS=$QE_BUS_ADDRESS
  # QE_TRAY_HOST=xembed: an X tray (trayer) at the bottom of the screen
  # instead, for pictures of the icon as a panel shows it.
  if [ "${QE_TRAY_HOST:-}" = xembed ]; then
    qe_service "the X tray" "$QE_WORK/trayer.log" true \
      trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true
  else
    qe_service "the tray" "$QE_WORK/tray.log" "grep -q ready $QE_WORK/tray.log" $QE_TRAY serve
  fi
  qe_service "the mock logind" "$QE_WORK/logind.log" qe_logind_ready \
    $QE_PYTHON -m dbusmock --template logind --system

  # The program takes the home from the password database, not from $HOME:
  # its configuration folder is named here.
  export XDG_RUNTIME_DIR=$QE_WORK/runtime HOME=$QE_WORK/home XDG_CONFIG_HOME=$QE_WORK/home/.config
  mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 QT_QPA_PLATFORM=xcb
}

# The program at once (a test that failed has nothing to save), then the
# pieces of the desktop by their ids.
harness_desktop_stop() {
  [ -z "$QE_PID" ] || kill -KILL "$QE_PID" 2>/dev/null
  local pid
  for pid in "${QE_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  for pid in "${QE_PIDS[@]}"; do wine_wait_for 5 wine_pid_gone "$pid" || kill -KILL "$pid" 2>/dev/null; done
}

harness_exec() {
  exec "$@"
}

harness_caption() {
  qe_caption
}

harness_show_output() {
  [ -f "$QE_WORK/program.log" ] || return 0
  echo "--- the program's output" >&2
  cat "$QE_WORK/program.log" >&2
}

qe_wm_ready() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

qe_logind_ready() {
  gdbus introspect --system --dest org.freedesktop.login1 --object-path /org/freedesktop/login1 >/dev/null 2>&1
}

# The main window: the program's first window, visible or not.
qe_main_window() {
  xdotool search --pid "$QE_PID" --classname celwrd 2>/dev/null | head -n 1
}

qe_caption() {
  local id
  id=$(qe_main_window) && [ -n "$id" ] && xdotool getwindowname "$id"
}

# The tray's tip is the caption: both read until they agree (the tip
# between two reads of the caption, whose clock moves every second), at
# most SECONDS. Leaves them in QE_TIP and QE_CAPTION.
qe_wait_tip_is_caption() {
  local seconds before after
  seconds=$(qe_bound "$1")
  tip_is_caption() {
    before=$(qe_caption) && QE_TIP=$($QE_TRAY tip) && after=$(qe_caption) || return 1
    QE_CAPTION=$after
    [ "$QE_TIP" = "$before" ] || [ "$QE_TIP" = "$after" ]
  }
  wine_wait_for "$seconds" tip_is_caption ||
    qe_fail "the tip '$QE_TIP' is not the caption '$QE_CAPTION' (waited $seconds s)"
}

# A signal of the mock logind: NAME (PrepareForSleep, PrepareForShutdown)
# with the boolean VALUE.
qe_logind_signal() {
  gdbus call --system --dest org.freedesktop.login1 --object-path /org/freedesktop/login1 \
    --method org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.login1.Manager "$1" b "[<$2>]" >/dev/null
}

# The inhibitor locks the mock logind holds, one "what who why mode" a line.
qe_inhibitors() {
  gdbus call --system --dest org.freedesktop.login1 --object-path /org/freedesktop/login1 \
    --method org.freedesktop.login1.Manager.ListInhibitors
}

# Returns once the window manager has done all it was asked before: it
# takes requests in order, and the answer to this one shows on the root
# window (one more desktop, then as many as before).
qe_wm_sync() {
  local desktops
  desktops=$(xdotool get_num_desktops) || qe_fail "no window manager to ask"
  desktops_are() { [ "$(xdotool get_num_desktops)" = "$1" ]; }
  xdotool set_num_desktops $((desktops + 1))
  qe_until 10 "the window manager did not add a desktop" desktops_are $((desktops + 1))
  xdotool set_num_desktops "$desktops"
  qe_until 10 "the window manager did not remove the desktop" desktops_are "$desktops"
}

# The visible window titled TITLE (exactly), or nothing.
qe_window_named() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}

# A left click on the tray icon; waits until the main window is up (no longer
# iconic) and leaves its id in QE_MAIN.
qe_show_main() {
  QE_MAIN=$(qe_main_window)
  $QE_TRAY activate || qe_fail "no tray icon to click"
  qe_until 10 "the tray click did not show the main window" bash -c "! xprop -id $QE_MAIN WM_STATE | grep -q Iconic"
}

# "見る(&L)" in the main window; waits for the log viewer and leaves its id in
# QE_VIEWER.
qe_open_log_viewer() {
  qe_keys "$QE_MAIN" alt+l
  qe_until 10 "the log viewer did not open" bash -c "xdotool search --onlyvisible --name '^ﾛｸﾞ$' >/dev/null"
  QE_VIEWER=$(qe_window_named 'ﾛｸﾞ')
}

# Keys to a window of the program: WINDOW then xdotool key names.
# The window with its frame, as WxH+X+Y.
qe_frame_of() {
  local frame
  frame=$(xwininfo -tree -id "$1" | awk '/Parent window id:/ { print $4 }')
  xwininfo -id "$frame" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { printf "%dx%d+%d+%d\n", w, h, x, y }'
}

# With QE_PICTURES set, WINDOW with its frame saved there as NAME, after a
# second for the window to be drawn.
qe_photograph() {
  [ -n "${QE_PICTURES:-}" ] || return 0
  sleep 1
  qe_screenshot "$QE_WORK/screen.png" || qe_fail "no screenshot"
  convert "$QE_WORK/screen.png" -crop "$(qe_frame_of "$1")" +repage "$QE_PICTURES/$2"
  qe_log "saved $QE_PICTURES/$2"
}

qe_keys() {
  local window=$1
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.2
  xdotool key --clearmodifiers "$@"
}
