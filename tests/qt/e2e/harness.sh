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
# Everything the test started ends when it exits, passed or failed.
#
# Set by CTest (ui/qt/e2e.cmake); the defaults suit a run by hand:
#   CELLWARDEN_BIN  the program under test
#   QE_WORK         this test's directory (emptied first, kept afterwards)

QE_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
. "$QE_SOURCE/scripts/wine.sh"

: "${CELLWARDEN_BIN:=$QE_SOURCE/build/native/celwrd}"
: "${QE_WORK:=${TMPDIR:-/tmp}/cellwarden-qt-e2e/$(basename "$0" .sh)}"
QE_NAME=$(basename "$0" .sh)
QE_PID=
QE_PIDS=()
QE_PYTHON=/usr/bin/python3
QE_TRAY="$QE_PYTHON $QE_SOURCE/tests/qt/e2e/tray_host.py"

qe_log() { echo "[$QE_NAME $(date +%T)] $*"; }

qe_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A permissive bus of our own at unix socket PATH, its address left in
# QE_BUS; its pid joins QE_PIDS (so not in a subshell: it would be lost).
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
  dbus-daemon --config-file="$QE_WORK/$name.conf" --nofork --nopidfile >"$QE_WORK/$name-bus.log" 2>&1 &
  QE_PIDS+=($!)
  wine_wait_for 10 test -S "$socket" || qe_fail "the $name bus did not start"
  QE_BUS="unix:path=$socket"
}

qe_begin() {
  [ "$(id -u)" = 0 ] || qe_fail "end-to-end tests need root (a mount namespace for the fake battery)"
  if [ -z "${QE_IN_NAMESPACE:-}" ]; then
    export QE_IN_NAMESPACE=1
    exec unshare --mount --propagation private bash "$0" "$@"
  fi
  trap qe_end EXIT
  trap 'exit 130' INT TERM
  rm -rf "$QE_WORK"
  mkdir -p "$QE_WORK"
  [ -x "$CELLWARDEN_BIN" ] || qe_fail "no program at $CELLWARDEN_BIN: build it first (scripts/test builds build/native/celwrd)"
  for tool in Xvfb openbox dbus-daemon gdbus xdotool; do
    command -v "$tool" >/dev/null || qe_fail "$tool is missing"
  done
  $QE_PYTHON -c 'import dbusmock' 2>/dev/null || qe_fail "python3-dbusmock is missing"

  QE_POWER=$QE_WORK/power
  power_tree_make "$QE_POWER"
  power_tree_bind "$QE_POWER" || qe_fail "could not install the fake battery"
  wine_xvfb_start "$QE_WORK" || qe_fail "no X server"
  QE_PIDS+=("$WINE_XVFB_PID")
  # A window manager, as on a desktop: windows minimise, take the focus
  # when asked, and have title bars in the pictures.
  local try
  for try in 1 2 3; do
    openbox --sm-disable >>"$QE_WORK/openbox.log" 2>&1 &
    QE_PIDS+=($!)
    wine_wait_for 10 qe_wm_ready && break
    [ "$try" != 3 ] || qe_fail "the window manager did not start: $(cat "$QE_WORK/openbox.log")"
  done

  export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS
  qe_bus_start session
  DBUS_SESSION_BUS_ADDRESS=$QE_BUS
  qe_bus_start system
  DBUS_SYSTEM_BUS_ADDRESS=$QE_BUS
  # QE_TRAY_HOST=xembed: an X tray (trayer) at the bottom of the screen
  # instead, for pictures of the icon as a panel shows it.
  if [ "${QE_TRAY_HOST:-}" = xembed ]; then
    trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true >"$QE_WORK/trayer.log" 2>&1 &
    echo ready >"$QE_WORK/tray.log"
  else
    $QE_TRAY serve >"$QE_WORK/tray.log" 2>&1 &
  fi
  QE_PIDS+=($!)
  $QE_PYTHON -m dbusmock --template logind --system >"$QE_WORK/logind.log" 2>&1 &
  QE_PIDS+=($!)
  wine_wait_for 10 grep -q ready "$QE_WORK/tray.log" || qe_fail "the tray did not start"
  wine_wait_for 10 qe_logind_ready || qe_fail "the mock logind did not start"

  export XDG_RUNTIME_DIR=$QE_WORK/runtime HOME=$QE_WORK/home
  mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 QT_QPA_PLATFORM=xcb
  QE_PROGRAM=$QE_WORK/program
  QE_CWD=$QE_WORK/cwd
  mkdir -p "$QE_PROGRAM" "$QE_CWD"
  cp "$CELLWARDEN_BIN" "$QE_PROGRAM/celwrd"
  qe_log "work directory $QE_WORK, display $DISPLAY"
}

qe_wm_ready() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

qe_logind_ready() {
  gdbus introspect --system --dest org.freedesktop.login1 --object-path /org/freedesktop/login1 >/dev/null 2>&1
}

qe_end() {
  local status=$?
  trap - EXIT
  [ -z "$QE_PID" ] || kill -KILL "$QE_PID" 2>/dev/null
  local pid
  for pid in "${QE_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  for pid in "${QE_PIDS[@]}"; do wine_wait_for 5 wine_pid_gone "$pid" || kill -KILL "$pid" 2>/dev/null; done
  if [ "$status" != 0 ] && [ -f "$QE_WORK/program.log" ]; then
    echo "--- the program's output" >&2
    cat "$QE_WORK/program.log" >&2
  fi
  exit "$status"
}

# Starts the program in the background with ARGS, from $QE_CWD.
qe_start() {
  [ -z "$QE_PID" ] || qe_fail "the program is already running"
  (cd "$QE_CWD" && exec "$QE_PROGRAM/celwrd" "$@") >>"$QE_WORK/program.log" 2>&1 &
  QE_PID=$!
  qe_log "started celwrd $* (pid $QE_PID)"
}

# Waits at most SECONDS for the program to end; sets QE_STATUS.
qe_wait_exit() {
  WINE_PID=$QE_PID
  wine_wait_exit "$1" || qe_fail "the program did not end within $1 s"
  QE_STATUS=$WINE_STATUS
  QE_PID=
  qe_log "the program ended with exit code $QE_STATUS"
}

# The main window: the program's first window, visible or not.
qe_main_window() {
  xdotool search --pid "$QE_PID" --classname celwrd 2>/dev/null | head -n 1
}

qe_caption() {
  local id
  id=$(qe_main_window) && [ -n "$id" ] && xdotool getwindowname "$id"
}

# Waits at most SECONDS until the caption matches PATTERN (extended
# regular expression); leaves it in QE_CAPTION.
qe_wait_caption() {
  local pattern=$1 seconds=$2 deadline=$((SECONDS + $2))
  while :; do
    QE_CAPTION=$(qe_caption) && grep -Eq -- "$pattern" <<<"$QE_CAPTION" && return 0
    [ "$SECONDS" -lt "$deadline" ] || qe_fail "the caption did not match /$pattern/ within $seconds s: '$QE_CAPTION'"
    sleep 0.2
  done
}

qe_until() {
  local seconds=$1 what=$2
  shift 2
  wine_wait_for "$seconds" "$@" || qe_fail "$what (waited $seconds s)"
}

# The settings file from KEY = VALUE lines, CR LF ended as the program writes it.
qe_write_ini() {
  printf '%s\r\n' "$@" >"$QE_PROGRAM/celwrd.INI"
}

qe_ini() {
  grep -a "^$1 = " "$QE_PROGRAM/celwrd.INI" | head -n 1 | sed 's/^[^=]*= //' | tr -d '\r'
}

# The event script beside the program from its lines, CR LF ended.
qe_write_script() {
  printf '%s\r\n' "$@" >"$QE_PROGRAM/AUTOEXEC.CLW"
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
qe_keys() {
  local window=$1
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.2
  xdotool key --clearmodifiers "$@"
}

qe_screenshot() {
  wine_screenshot "$1"
}
