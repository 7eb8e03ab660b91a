# What both end-to-end suites share, the Wine one (tests/e2e/harness.sh) and
# the Linux one (tests/qt/e2e/harness.sh): the life of a test in a machine
# of its own, starting and waiting for the program, its settings file and
# event script. Each harness sources this file, names its variables with
# harness_names (the scripts use $E2E_PID, $QE_STATUS and the like, which
# are the variables below) and defines what differs between the two:
#
#   harness_prepare        checks what the suite needs, before anything starts
#   harness_desktop_start  the X server and the rest of the test's desktop
#   harness_desktop_stop   ends the program and that desktop
#   harness_exec EXE ARGS  replaces the shell with the program
#   harness_caption        prints the main window's caption; fails without one
#   harness_show_output    prints the program's output after a failure
#
# and HARNESS_BINARY (the program under test), HARNESS_BINARY_NAME (its name
# in the program directory) and HARNESS_OUTPUT (the file its output goes to).
# Every wait is bounded and lasts at least $HARNESS_MIN_WAIT seconds, since
# on a loaded machine one step can take seconds; a wait that is met returns
# at once.

# HARNESS_X is PREFIX_X: the suite's own name for each variable.
harness_names() {
  local name
  for name in NAME WORK PROGRAM CWD POWER PID STATUS STARTED TOOK CAPTION MIN_WAIT FAILED IN_NAMESPACE; do
    declare -gn "HARNESS_$name=$1_$name"
  done
}

harness_log() {
  echo "[$HARNESS_NAME $(date +%T)] $*"
}

# Fails the test: the message, then the exit trap cleans up and shows the
# program's output.
harness_fail() {
  echo "FAIL: $*" >&2
  HARNESS_FAILED=1
  exit 1
}

# From here on the test runs as root in a private mount namespace, with a
# fake power-supply tree ($HARNESS_POWER, changed with power_set and
# power_remove_battery) bound over /sys/class/power_supply, its desktop, a
# fresh program directory holding the program ($HARNESS_PROGRAM) and an
# empty current directory ($HARNESS_CWD).
harness_begin() {
  [ "$(id -u)" = 0 ] || harness_fail "end-to-end tests need root (a mount namespace for the fake battery)"
  if [ -z "${HARNESS_IN_NAMESPACE:-}" ]; then
    # Everything from here on lives in this namespace; its mounts vanish
    # with its last process.
    export HARNESS_IN_NAMESPACE=1
    wine_exec_subreaper unshare --mount --propagation private bash "$0" "$@"
  fi
  trap harness_end EXIT
  trap 'exit 130' INT TERM
  rm -rf "$HARNESS_WORK"
  mkdir -p "$HARNESS_WORK"
  harness_prepare

  HARNESS_POWER=$HARNESS_WORK/power
  power_tree_make "$HARNESS_POWER"
  power_tree_bind "$HARNESS_POWER" || harness_fail "could not install the fake battery"
  harness_desktop_start

  HARNESS_PROGRAM=$HARNESS_WORK/program
  HARNESS_CWD=$HARNESS_WORK/cwd
  mkdir -p "$HARNESS_PROGRAM" "$HARNESS_CWD"
  cp "$HARNESS_BINARY" "$HARNESS_PROGRAM/$HARNESS_BINARY_NAME"
  harness_log "work directory $HARNESS_WORK, display $DISPLAY"
}

# Everything the test started ends, passed or failed: the program and the
# desktop, then by its id whatever else still runs below the test (its shell
# is a child subreaper, so nothing escapes to PID 1).
harness_end() {
  local status=$? left
  trap - EXIT INT TERM
  [ "$status" = 0 ] || HARNESS_FAILED=1
  if [ -n "${HARNESS_PID:-}" ] && [ "${HARNESS_FAILED:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    harness_screenshot "$HARNESS_WORK/at-failure.png" && harness_log "screenshot at failure: $HARNESS_WORK/at-failure.png"
  fi
  harness_desktop_stop
  left=$(wine_end_descendants 5)
  [ -z "$left" ] || harness_log "ended what was left running: $(echo $left)"
  if [ "${HARNESS_FAILED:-0}" = 1 ]; then
    harness_show_output
    exit $((status == 0 ? 1 : status))
  fi
  harness_log "passed"
  exit 0
}

# The bound of a wait: SECONDS, or HARNESS_MIN_WAIT when that is longer.
harness_bound() {
  echo $(($1 > HARNESS_MIN_WAIT ? $1 : HARNESS_MIN_WAIT))
}

# Starts the program in the background with ARGS, from $HARNESS_CWD.
harness_start() {
  [ -z "$HARNESS_PID" ] || harness_fail "the program is already running"
  (cd "$HARNESS_CWD" && harness_exec "$HARNESS_PROGRAM/$HARNESS_BINARY_NAME" "$@") >>"$HARNESS_OUTPUT" 2>&1 &
  HARNESS_PID=$!
  HARNESS_STARTED=$SECONDS
  harness_log "started $HARNESS_BINARY_NAME $* (pid $HARNESS_PID)"
}

# Waits at most SECONDS for the program to end by itself; sets
# HARNESS_STATUS to its exit code and, when harness_start started it,
# HARNESS_TOOK to the seconds it ran. Fails the test when it still runs.
harness_wait_exit() {
  local seconds ran=
  seconds=$(harness_bound "$1")
  WINE_PID=$HARNESS_PID
  wine_wait_exit "$seconds" || harness_fail "the program did not end within $seconds s"
  HARNESS_STATUS=$WINE_STATUS
  HARNESS_TOOK=
  if [ -n "${HARNESS_STARTED:-}" ]; then
    HARNESS_TOOK=$((SECONDS - HARNESS_STARTED))
    ran=" after $HARNESS_TOOK s"
  fi
  HARNESS_PID=
  HARNESS_STARTED=
  harness_log "the program ended with exit code $HARNESS_STATUS$ran"
}

# Waits at most SECONDS until the main window's caption matches the
# extended regular expression PATTERN; leaves it in HARNESS_CAPTION.
harness_wait_caption() {
  local pattern=$1 seconds deadline
  seconds=$(harness_bound "$2")
  deadline=$((SECONDS + seconds))
  while :; do
    HARNESS_CAPTION=$(harness_caption) && grep -Eq -- "$pattern" <<<"$HARNESS_CAPTION" && return 0
    [ "$SECONDS" -lt "$deadline" ] || harness_fail "the caption did not match /$pattern/ within $seconds s: '$HARNESS_CAPTION'"
    sleep 0.2
  done
}

# Waits at most SECONDS until the program has refreshed its display COUNT
# times since the call, each to its end, so whatever it does at a refresh
# it has done by then. A refresh sets the caption first: a refresh is over
# when the caption changes again, after COUNT + 1 changes in all. Needs a
# caption that changes at each refresh (the clock with seconds).
harness_wait_refreshes() {
  local count=$(($1 + 1)) seconds deadline last= now seen=
  seconds=$(harness_bound "$2")
  deadline=$((SECONDS + seconds))
  while [ "$count" -gt 0 ]; do
    # A window that is being hidden or shown may not be found for a moment.
    if now=$(harness_caption); then
      [ -z "$seen" ] || [ "$now" = "$last" ] || count=$((count - 1))
      last=$now seen=1
      [ "$count" -gt 0 ] || break
    fi
    [ "$SECONDS" -lt "$deadline" ] || harness_fail "the caption did not change $(($1 + 1)) times within $seconds s: '$last'"
    sleep 0.1
  done
  HARNESS_CAPTION=$last
}

# Waits at most SECONDS until COMMAND succeeds; fails the test with WHAT.
harness_until() {
  local seconds what=$2
  seconds=$(harness_bound "$1")
  shift 2
  wine_wait_for "$seconds" "$@" || harness_fail "$what (waited $seconds s)"
}

# Writes the program's settings file from KEY = VALUE lines, with the
# program's CR LF line ends; keys left out keep their defaults.
harness_write_ini() {
  printf '%s\r\n' "$@" >"$HARNESS_PROGRAM/celwrd.INI"
}

# The value of KEY in the settings file.
harness_ini() {
  grep -a "^$1 = " "$HARNESS_PROGRAM/celwrd.INI" | head -n 1 | sed 's/^[^=]*= //' | tr -d '\r'
}

# Writes the event script beside the program from its lines, CR LF ended;
# with HARNESS_MARK set, MARK in a line stands for it.
harness_write_script() {
  local line
  for line in "$@"; do
    [ -z "${HARNESS_MARK:-}" ] || line=${line//MARK/$HARNESS_MARK}
    printf '%s\r\n' "$line"
  done >"$HARNESS_PROGRAM/AUTOEXEC.CLW"
}

# A screenshot of the whole X screen into FILE.
harness_screenshot() {
  wine_screenshot "$1" 2>/dev/null || {
    harness_log "no screenshot: import failed"
    return 1
  }
}
