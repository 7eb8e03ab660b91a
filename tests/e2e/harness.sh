# End-to-end test harness: the real celwrd.exe under Wine, in a machine of
# its own. A test script sources this file and calls `e2e_begin "$@"` first;
# from then on it runs as root inside a private mount namespace with
#
#   $E2E_POWER    a fake power-supply tree bound over /sys/class/power_supply
#                 (change it with power_set / power_remove_battery)
#   $E2E_PROGRAM  a fresh program directory holding celwrd.exe
#   $E2E_CWD      an empty directory, the current directory of the program
#   a private Xvfb ($DISPLAY) and a private copy-on-write view of the run's
#   Wine prefix (overlayfs over $E2E_TEMPLATE), so each test has its own
#   wineserver, registry and named objects (the single-instance mutex).
#
# Everything that the test started ends when it exits, passed or failed:
# the program, the wineserver with every Wine process of the prefix, Xvfb,
# then by its id whatever else is still running below the test (the test's
# shell is a child subreaper, so nothing escapes to PID 1; a test killed on
# its CTest timeout takes all of it along). A new test only starts processes
# through e2e_start (or in the background with `&`, then ends them itself by
# $!), and waits with e2e_until / e2e_wait_caption / e2e_wait_exit, never
# with a bare sleep: every wait is bounded and lasts at least
# $E2E_MIN_WAIT seconds (30), since on a loaded machine a single driver
# call can take seconds; a wait that is met returns at once.
#
# Set by CTest (tests/e2e/CMakeLists.txt); the defaults suit a run by hand:
#   CELLWARDEN_EXE  the program under test
#   E2E_ROOT        the run's directory; its prefix/ is the template
#   E2E_WORK        this test's directory (emptied first, kept afterwards)
#   E2E_DRIVER      e2e_driver.exe, when built

E2E_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$E2E_SOURCE/scripts/wine.sh"

: "${CELLWARDEN_EXE:=$E2E_SOURCE/build/win64/celwrd.exe}"
: "${E2E_ROOT:=${TMPDIR:-/tmp}/cellwarden-e2e}"
: "${E2E_WORK:=$E2E_ROOT/work/$(basename "$0" .sh)}"
: "${E2E_DRIVER:=$E2E_ROOT/e2e_driver.exe}"
E2E_TEMPLATE=$E2E_ROOT/prefix

# Wine's traces make sounds and the tray observable: each PlaySound logs the
# file it was asked to play, each Shell_NotifyIcon call its message.
: "${E2E_WINEDEBUG:=fixme-all,trace+winmm,trace+systray}"

E2E_NAME=$(basename "$0" .sh)
: "${E2E_MIN_WAIT:=30}"
E2E_PID=
E2E_FAILED=0

e2e_log() {
  echo "[$E2E_NAME $(date +%T)] $*"
}

# Fails the test: the message, then the exit trap cleans up and shows Wine's
# output.
e2e_fail() {
  echo "FAIL: $*" >&2
  E2E_FAILED=1
  exit 1
}

e2e_begin() {
  [ "$(id -u)" = 0 ] || e2e_fail "end-to-end tests need root (a mount namespace for the fake battery)"
  if [ -z "${E2E_IN_NAMESPACE:-}" ]; then
    # Everything from here on, Xvfb and the wineserver included, lives in
    # this namespace; its mounts vanish with its last process.
    export E2E_IN_NAMESPACE=1
    wine_exec_subreaper unshare --mount --propagation private bash "$0" "$@"
  fi
  unset WINEPREFIX
  trap e2e_end EXIT
  trap 'exit 130' INT TERM

  rm -rf "$E2E_WORK"
  mkdir -p "$E2E_WORK"
  [ -f "$CELLWARDEN_EXE" ] ||
    e2e_fail "no program at $CELLWARDEN_EXE: build it first (scripts/test builds build/win64/celwrd.exe), or set CELLWARDEN_E2E_EXE"
  command -v Xvfb >/dev/null && [ -x "$WINE_LOADER" ] ||
    e2e_fail "Wine or Xvfb is missing: install ${WINE_PACKAGES[*]}"
  if [ ! -f "$E2E_TEMPLATE/system.reg" ]; then
    e2e_log "no prefix at $E2E_TEMPLATE: making one"
    bash "$E2E_SOURCE/tests/e2e/make_prefix.sh" || e2e_fail "could not make the Wine prefix"
  fi
  wine_ensure_locale || e2e_fail "no Japanese locale"

  E2E_POWER=$E2E_WORK/power
  power_tree_make "$E2E_POWER"
  power_tree_bind "$E2E_POWER" || e2e_fail "could not install the fake battery"

  mkdir -p "$E2E_WORK/prefix" "$E2E_WORK/prefix-changes" "$E2E_WORK/prefix-work"
  mount -t overlay overlay \
    -o "lowerdir=$E2E_TEMPLATE,upperdir=$E2E_WORK/prefix-changes,workdir=$E2E_WORK/prefix-work" \
    "$E2E_WORK/prefix" || e2e_fail "could not mount the prefix overlay"
  wine_use_prefix "$E2E_WORK/prefix"
  export HOME=$E2E_WORK/home
  mkdir -p "$HOME"

  wine_xvfb_start "$E2E_WORK" || e2e_fail "no X server"
  e2e_desktop_start

  E2E_PROGRAM=$E2E_WORK/program
  E2E_CWD=$E2E_WORK/cwd
  mkdir -p "$E2E_PROGRAM" "$E2E_CWD"
  cp "$CELLWARDEN_EXE" "$E2E_PROGRAM/celwrd.exe"
  e2e_log "work directory $E2E_WORK, display $DISPLAY"
}

# A wineserver that stays for the whole test, with Wine's desktop (explorer,
# its taskbar and tray) up before the program starts: the first start of
# Wine in a prefix is the slowest and most fragile part of a test on a
# loaded machine, and a failure there is Wine's, not the program's, so it
# is tried once more. Without the driver the program brings the desktop up.
e2e_desktop_start() {
  [ -f "$E2E_DRIVER" ] || return 0
  e2e_desktop_try && return 0
  echo "retrying: Wine's desktop did not come up: $(e2e_wine_trouble)"
  wine_prefix_stop
  e2e_desktop_try || e2e_fail "Wine's desktop did not come up, twice: $(e2e_wine_trouble)"
}

e2e_desktop_try() {
  wine_bounded 30 "$WINE_SERVER" -p || return 1
  # Into a file, not a pipe: the processes that Wine starts on the way
  # inherit the driver's output and would hold a pipe open.
  desktop_up() {
    e2e_driver --wait 1000 windows all >"$E2E_WORK/desktop.txt" && grep -q '^Shell_TrayWnd ' "$E2E_WORK/desktop.txt"
  }
  WINEDEBUG=$E2E_WINEDEBUG wine_wait_for 120 desktop_up
}

# Wine's own complaints in the test's log, on one line.
e2e_wine_trouble() {
  grep -a -v ':trace:' "$E2E_WORK/wine.log" 2>/dev/null | grep -a -i 'err:\|wine:\|fail' | tail -n 3 | tr '\n' ' '
}

# The bound of a wait: SECONDS, or E2E_MIN_WAIT when that is longer.
e2e_bound() {
  echo $(($1 > E2E_MIN_WAIT ? $1 : E2E_MIN_WAIT))
}

# Starts the program in the background with ARGS, from $E2E_CWD; Wine's
# output goes to $E2E_WORK/wine.log. EXE defaults to $E2E_PROGRAM/celwrd.exe.
e2e_start() {
  e2e_start_exe "$E2E_PROGRAM/celwrd.exe" "$@"
}

e2e_start_exe() {
  local exe=$1
  shift
  [ -z "$E2E_PID" ] || e2e_fail "the program is already running"
  (cd "$E2E_CWD" && WINEDEBUG=$E2E_WINEDEBUG exec "${WINE[@]}" "$exe" "$@") >>"$E2E_WORK/wine.log" 2>&1 &
  E2E_PID=$!
  E2E_STARTED=$SECONDS
  e2e_log "started $(basename "$exe") $* (pid $E2E_PID)"
}

# Waits at most SECONDS for the program to end by itself; sets E2E_STATUS
# to its exit code and E2E_TOOK to the seconds it ran. Fails the test when
# it is still running.
e2e_wait_exit() {
  local seconds
  seconds=$(e2e_bound "$1")
  WINE_PID=$E2E_PID
  wine_wait_exit "$seconds" || e2e_fail "the program did not end within $seconds s"
  E2E_STATUS=$WINE_STATUS
  E2E_TOOK=$((SECONDS - E2E_STARTED))
  E2E_PID=
  e2e_log "the program ended with exit code $E2E_STATUS after ${E2E_TOOK} s"
}

# Runs the driver in the test's prefix (see driver/e2e_driver.cpp); its
# output is the driver's stdout. Bounded to 60 s. Inside $(...) a failure
# only ends the subshell, so check the status:
#   caption=$(e2e_driver --wait 20000 caption) || e2e_fail "no main window"
#
# Now and then ld.so trips over one of Wine's threads in the process's last
# moment ("Inconsistency detected by ld.so: dl-fini.c", once in some
# thousands of exits) and ends it with 127 after the driver has done its
# work; the driver's own code is then the one it wrote to the log.
E2E_CALLS=0
e2e_driver() {
  [ -f "$E2E_DRIVER" ] || e2e_fail "no driver at $E2E_DRIVER (built by the native build as e2e_driver)"
  local call=$BASHPID.$((++E2E_CALLS)) status
  (cd "$E2E_CWD" && E2E_CALL=$call wine_bounded 60 "${WINE[@]}" "$E2E_DRIVER" "$@" 2>>"$E2E_WORK/wine.log")
  status=$?
  [ "$status" = 127 ] || return "$status"
  status=$(sed -n "s/^e2e_driver $call: exit \([0-9]*\)\r\?\$/\1/p" "$E2E_WORK/wine.log" | tail -n 1)
  [ -n "$status" ] || return 127
  echo "the driver ($*) ended with 127 after saying $status" >&2
  return "$status"
}

# Waits at most SECONDS until the main window's caption matches the
# extended regular expression PATTERN; leaves it in E2E_CAPTION.
e2e_wait_caption() {
  local pattern=$1 seconds
  seconds=$(e2e_bound "$2")
  local deadline=$((SECONDS + seconds))
  while :; do
    E2E_CAPTION=$(e2e_driver --wait 2000 caption) && grep -Eq -- "$pattern" <<<"$E2E_CAPTION" && return 0
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "the caption did not match /$pattern/ within $seconds s: '$E2E_CAPTION'"
    sleep 0.2
  done
}

# Waits at most SECONDS until COMMAND succeeds; fails the test with WHAT.
e2e_until() {
  local seconds what=$2
  seconds=$(e2e_bound "$1")
  shift 2
  wine_wait_for "$seconds" "$@" || e2e_fail "$what (waited $seconds s)"
}

# Writes the program's settings file from KEY = VALUE lines, with the
# program's CR LF line ends; keys left out keep their defaults.
e2e_write_ini() {
  printf '%s\r\n' "$@" >"$E2E_PROGRAM/celwrd.INI"
}

# The value of KEY in the settings file.
e2e_ini() {
  grep -a "^$1 = " "$E2E_PROGRAM/celwrd.INI" | head -n 1 | sed 's/^[^=]*= //' | tr -d '\r'
}

# Writes the event script beside the program from its lines, CR LF ended.
# In the lines, MARK stands for the command of an event program that
# appends "NAME start" and "NAME end" to a file: "MARK FILE NAME MS" (the
# driver's mark command, which takes MS milliseconds in between).
e2e_write_script() {
  local driver line
  driver="\"$(wine_path "$E2E_DRIVER")\" mark"
  for line in "$@"; do printf '%s\r\n' "${line//MARK/$driver}"; done >"$E2E_PROGRAM/AUTOEXEC.CLW"
}

# The WAV files the program asked to play so far, in order, one per line.
e2e_sounds() {
  grep -a 'trace:winmm:proc_PlaySound SoundName=' "$E2E_WORK/wine.log" |
    sed 's/.*SoundName=L"\(.*\)".*/\1/; s/\\\\/\\/g'
}

# The program's calls of Shell_NotifyIcon so far, one per line (add, modify,
# delete), runs of modify squeezed into one.
e2e_tray_calls() {
  grep -a 'trace:systray:Shell_NotifyIconW dwMessage = ' "$E2E_WORK/wine.log" |
    sed 's/.*dwMessage = \([0-9]*\).*/\1/; s/^0$/add/; s/^1$/modify/; s/^2$/delete/' | uniq
}

# The tray icon as shown: how many of its pixels are near each paint of the
# program's icons (and their highlights), as "blue N red N green N yellow N".
e2e_tray_icon_colours() {
  local rect
  rect=$(e2e_driver tips | head -n 1 | cut -d' ' -f1)
  [ -n "$rect" ] || e2e_fail "no tray icon to look at"
  wine_screenshot "$E2E_WORK/tray-screen.png" || e2e_fail "no screenshot"
  convert "$E2E_WORK/tray-screen.png" -crop "$rect" +repage -depth 8 txt:- | awk '
    function near(r, g, b, R, G, B) { return (r - R) ^ 2 + (g - G) ^ 2 + (b - B) ^ 2 < 40 ^ 2 }
    BEGIN { n["blue"] = n["red"] = n["green"] = n["yellow"] = 0 }
    match($0, /\(([0-9]+),([0-9]+),([0-9]+)/) {
      split(substr($0, RSTART + 1, RLENGTH - 1), c, ",")
      r = c[1]; g = c[2]; b = c[3]
      if (near(r, g, b, 30, 108, 224) || near(r, g, b, 110, 168, 248)) n["blue"]++
      else if (near(r, g, b, 224, 38, 38) || near(r, g, b, 248, 128, 128)) n["red"]++
      else if (near(r, g, b, 31, 176, 74) || near(r, g, b, 116, 220, 144)) n["green"]++
      else if (near(r, g, b, 242, 194, 0) || near(r, g, b, 255, 228, 112)) n["yellow"]++
    }
    END { printf "blue %d red %d green %d yellow %d\n", n["blue"], n["red"], n["green"], n["yellow"] }'
}

e2e_screenshot() {
  wine_screenshot "$1" 2>/dev/null || {
    e2e_log "no screenshot: import failed"
    return 1
  }
}

# ----- checks

e2e_expect_eq() {
  local expected=$1 actual=$2 what=$3
  [ "$expected" = "$actual" ] || e2e_fail "$what: expected '$expected', got '$actual'"
}

# Every line of FILE ends in CR LF, the last one included.
e2e_expect_crlf_lines() {
  local file=$1
  local lines crlf
  lines=$(tr -dc '\n' <"$file" | wc -c)
  crlf=$(grep -c $'\r$' "$file")
  [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || e2e_fail "$file: $crlf of $lines lines end in CR LF"
  [ "$(tail -c 2 "$file" | od -An -tx1 | tr -d ' \n')" = 0d0a ] || e2e_fail "$file does not end in CR LF"
}

# TEXT matches the extended regular expression PATTERN.
e2e_expect_match() {
  local pattern=$1 actual=$2 what=$3
  grep -Eq -- "$pattern" <<<"$actual" || e2e_fail "$what: '$actual' does not match /$pattern/"
}

# The directory holds exactly the names given (in any order).
e2e_expect_files() {
  local dir=$1
  shift
  local expected actual
  expected=$(printf '%s\n' "$@" | sort)
  actual=$(ls -A "$dir" | sort)
  [ "$expected" = "$actual" ] || e2e_fail "$dir holds [$(echo $actual)], expected [$(echo $expected)]"
}

e2e_end() {
  local status=$?
  trap - EXIT INT TERM
  [ "$status" = 0 ] || E2E_FAILED=1
  if [ -n "${E2E_PID:-}" ] && [ "$E2E_FAILED" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    e2e_screenshot "$E2E_WORK/at-failure.png" && e2e_log "screenshot at failure: $E2E_WORK/at-failure.png"
  fi
  [ -z "${E2E_PID:-}" ] || wine_end_pid "$E2E_PID" 5
  wine_prefix_stop
  wine_xvfb_stop
  local left
  left=$(wine_end_descendants 5)
  [ -z "$left" ] || e2e_log "ended what was left running: $(echo $left)"
  if [ "$E2E_FAILED" = 1 ] && [ -s "$E2E_WORK/wine.log" ]; then
    echo "--- Wine's output (last 40 lines of $E2E_WORK/wine.log without its traces)" >&2
    grep -av ":trace:" "$E2E_WORK/wine.log" | tail -n 40 >&2
  fi
  [ "$E2E_FAILED" = 1 ] && exit 1
  e2e_log "passed"
  exit 0
}
