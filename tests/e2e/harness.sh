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
# $!), and waits with e2e_until / e2e_wait_caption / e2e_wait_refreshes /
# e2e_wait_exit, never with a bare sleep: every wait is bounded and lasts at
# least $E2E_MIN_WAIT seconds (30), since on a loaded machine a single
# driver call can take seconds; a wait that is met returns at once. What
# this suite shares with the Linux one is in common.sh.
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
# The test's own prefix only, never one of the caller's.
unset WINEPREFIX

. "$E2E_SOURCE/tests/e2e/common.sh"
harness_names E2E
HARNESS_BINARY=$CELLWARDEN_EXE
HARNESS_BINARY_NAME=celwrd.exe
HARNESS_OUTPUT=$E2E_WORK/wine.log

# The shared helpers by this suite's names.
e2e_log() { harness_log "$@"; }
e2e_fail() { harness_fail "$@"; }
e2e_begin() { harness_begin "$@"; }
e2e_end() { harness_end "$@"; }
e2e_bound() { harness_bound "$@"; }
e2e_start() { harness_start "$@"; }
e2e_wait_exit() { harness_wait_exit "$@"; }
e2e_wait_caption() { harness_wait_caption "$@"; }
e2e_wait_refreshes() { harness_wait_refreshes "$@"; }
e2e_until() { harness_until "$@"; }
e2e_write_ini() { harness_write_ini "$@"; }
e2e_ini() { harness_ini "$@"; }
e2e_screenshot() { harness_screenshot "$@"; }

# In the lines of an event script, MARK stands for the command of an event
# program that appends "NAME start" and "NAME end" to a file: "MARK FILE
# NAME MS" (the driver's mark command, which takes MS milliseconds in
# between).
e2e_write_script() {
  HARNESS_MARK="\"$(wine_path "$E2E_DRIVER")\" mark" harness_write_script "$@"
}

harness_prepare() {
  [ -f "$CELLWARDEN_EXE" ] ||
    e2e_fail "no program at $CELLWARDEN_EXE: build it first (scripts/test builds build/win64/celwrd.exe), or set CELLWARDEN_E2E_EXE"
  command -v Xvfb >/dev/null && [ -x "$WINE_LOADER" ] ||
    e2e_fail "Wine or Xvfb is missing: install ${WINE_PACKAGES[*]}"
  if [ ! -f "$E2E_TEMPLATE/system.reg" ]; then
    e2e_log "no prefix at $E2E_TEMPLATE: making one"
    bash "$E2E_SOURCE/tests/e2e/make_prefix.sh" || e2e_fail "could not make the Wine prefix"
  fi
  wine_ensure_locale || e2e_fail "no Japanese locale"
}

# A private copy-on-write view of the run's prefix, a private Xvfb and
# Wine's desktop.
harness_desktop_start() {
  mkdir -p "$E2E_WORK/prefix" "$E2E_WORK/prefix-changes" "$E2E_WORK/prefix-work"
  mount -t overlay overlay \
    -o "lowerdir=$E2E_TEMPLATE,upperdir=$E2E_WORK/prefix-changes,workdir=$E2E_WORK/prefix-work" \
    "$E2E_WORK/prefix" || e2e_fail "could not mount the prefix overlay"
  wine_use_prefix "$E2E_WORK/prefix"
  export HOME=$E2E_WORK/home
  mkdir -p "$HOME"

  wine_xvfb_start "$E2E_WORK" || e2e_fail "no X server"
  e2e_desktop_start
}

harness_desktop_stop() {
  [ -z "${E2E_PID:-}" ] || wine_end_pid "$E2E_PID" 5
  wine_prefix_stop
  wine_xvfb_stop
}

harness_exec() {
  WINEDEBUG=$E2E_WINEDEBUG exec "${WINE[@]}" "$@"
}

harness_caption() {
  e2e_driver --wait 2000 caption
}

harness_show_output() {
  [ -s "$E2E_WORK/wine.log" ] || return 0
  echo "--- Wine's output (last 40 lines of $E2E_WORK/wine.log without its traces)" >&2
  grep -av ":trace:" "$E2E_WORK/wine.log" | tail -n 40 >&2
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
