# Running the Windows program under Wine on Linux: a private X server, a Wine
# prefix of our own with the Japanese locale and fonts, and a fake
# power-supply tree that stands in for the battery. Sourced by scripts/run and
# the end-to-end tests (tests/e2e/harness.sh); needs bash.
#
# Every wait here is bounded, and every process is ended by its own id or,
# for Wine, by `wineserver -k` of our own prefix.

# /usr/bin/wine may pick the 32-bit loader, which this kernel cannot run.
WINE_LOADER=${WINE_LOADER:-/usr/lib/wine/wine64}
WINE_SERVER=${WINE_SERVER:-/usr/lib/wine/wineserver}

# The command that starts a Windows program: "${WINE[@]}" PROGRAM ARGS.
# Debian's wine64 has no preloader and is linked at 0x7d000000, and the
# kernel puts its heap anywhere in the gigabyte above it. Now and then the
# heap covers 0x7ffe0000, where Wine must map the shared user data, and the
# process dies at once ("failed to map the shared user data"). Without
# address randomisation the heap follows the loader and stays far below;
# the Windows programs it starts inherit that.
WINE=(setarch --addr-no-randomize "$WINE_LOADER")

# What the functions below need from Debian (for install_packages): to run
# the program, and for a private X server with screenshots.
WINE_RUN_PACKAGES=(wine64 fonts-ipafont-gothic fonts-wine locales)
WINE_HEADLESS_PACKAGES=(xvfb x11-utils imagemagick)
WINE_PACKAGES=("${WINE_RUN_PACKAGES[@]}" "${WINE_HEADLESS_PACKAGES[@]}")

WINE_LOCALE=ja_JP.UTF-8

wine_error() {
  echo "wine.sh: $*" >&2
  return 1
}

# Runs a command until it ends or SECONDS pass; returns its status, or 124
# when it was ended for taking too long.
wine_bounded() {
  local seconds=$1
  shift
  timeout --kill-after=5 "$seconds" "$@"
}

# Polls COMMAND every 0.1 s for at most SECONDS; returns 0 as soon as it
# succeeds, 1 when time runs out.
wine_wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  while :; do
    "$@" && return 0
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# Wine takes its ANSI code page from the Unix locale. Without a generated
# ja_JP.UTF-8, LC_ALL=ja_JP.UTF-8 still gives code page 932 but Wine cannot
# convert non-ASCII file names (creating one fails), and LANG alone gives 1252.
wine_ensure_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' && return 0
  [ "$(id -u)" = 0 ] || wine_error "the locale $WINE_LOCALE is missing; as root: localedef -i ja_JP -f UTF-8 $WINE_LOCALE" || return
  [ -f /usr/share/i18n/locales/ja_JP ] || wine_error "no locale sources: install the Debian package locales" || return
  localedef -i ja_JP -f UTF-8 "$WINE_LOCALE" 2>/dev/null ||
    locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' ||
    wine_error "could not generate the locale $WINE_LOCALE"
}

# Exports what every Wine command of one prefix needs: the prefix, the
# Japanese locale (code page 932), no Mono or Gecko installers and no desktop
# menu entries. WINEDEBUG keeps errors unless the caller chose otherwise.
wine_use_prefix() {
  export WINEPREFIX=$1
  export WINEARCH=win64
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=d}
  export WINEDEBUG=${WINEDEBUG:-fixme-all}
  export LANG=$WINE_LOCALE LC_ALL=$WINE_LOCALE
}

# Starts Xvfb on a display it finds free itself (-displayfd), waits until the
# server answers, and exports DISPLAY. Sets WINE_XVFB_PID. DIR holds its log.
# A server that does not answer in time (a machine under load) is ended and
# started once more.
wine_xvfb_start() {
  local dir=$1
  wine_xvfb_try "$dir" 30 && return 0
  echo "retrying: Xvfb did not answer within 30 s ($(tail -n 1 "$dir/xvfb.log" 2>/dev/null))" >&2
  wine_xvfb_try "$dir" 30 && return 0
  cat "$dir/xvfb.log" >&2
  wine_error "Xvfb did not answer within 30 s, twice"
}

wine_xvfb_try() {
  local dir=$1 seconds=$2 number=
  mkdir -p "$dir"
  : >"$dir/xvfb.display"
  # -noreset: by default the server resets when its last client leaves (the
  # readiness check below) and drops a client that connects meanwhile, as
  # the window manager or Wine does next.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/xvfb.display" >"$dir/xvfb.log" 2>&1 &
  WINE_XVFB_PID=$!
  local deadline=$((SECONDS + seconds))
  while [ "$SECONDS" -lt "$deadline" ]; do
    wine_pid_gone "$WINE_XVFB_PID" && break
    read -r number <"$dir/xvfb.display" || true
    if [ -n "$number" ] && wine_bounded 10 xdpyinfo -display ":$number" >/dev/null 2>&1; then
      export DISPLAY=":$number"
      return 0
    fi
    sleep 0.1
  done
  wine_xvfb_stop
  return 1
}

wine_xvfb_stop() {
  [ -n "${WINE_XVFB_PID:-}" ] || return 0
  wine_end_pid "$WINE_XVFB_PID" 5
  WINE_XVFB_PID=
}

# Ends one process by its id: SIGTERM, at most SECONDS of grace, then SIGKILL.
wine_end_pid() {
  local pid=$1 seconds=${2:-5}
  kill -0 "$pid" 2>/dev/null || return 0
  kill -TERM "$pid" 2>/dev/null || true
  wine_wait_for "$seconds" wine_pid_gone "$pid" && return 0
  kill -KILL "$pid" 2>/dev/null || true
  wine_wait_for 5 wine_pid_gone "$pid" || true
}

# A child of this shell that has exited stays a zombie until it is waited
# for, so "gone" means no such process or one that is only a zombie.
wine_pid_gone() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 0
  [ -z "$state" ] || [ "${state:0:1}" = Z ]
}

# Replaces this shell with COMMAND as a child subreaper: what its
# descendants leave when their parent ends (the wineserver, daemons) is
# re-parented to it rather than to PID 1, which does not reap here, so bash
# reaps it and a kill of the process tree (CTest's on a timeout) reaches it.
# Without python3 the command runs as it is.
wine_exec_subreaper() {
  [ -x /usr/bin/python3 ] || exec "$@"
  exec /usr/bin/python3 -c 'import ctypes, os, sys
ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER, kept across exec
os.execvp(sys.argv[1], sys.argv[1:])' "$@"
}

# The ids of the live processes below PID (its children, theirs, ...), but
# not the shells between PID and this function, nor its own ps and awk.
wine_descendants() (
  self=$BASHPID
  ps -e -o pid=,ppid=,stat= | awk -v root="$1" -v self="$self" '
    { parent[$1] = $2; state[$1] = $3 }
    END {
      for (p = self; p > 1 && p != root; p = parent[p]) mine[p] = 1
      for (pid in parent) {
        if (state[pid] ~ /^Z/ || pid in mine) continue
        for (p = parent[pid]; p > 1 && p != self; p = parent[p]) if (p == root) { print pid; break }
      }
    }'
)

# Ends every process still running below this shell by its id (SIGTERM, at
# most SECONDS, then SIGKILL) and prints "pid name" of each. Run last, after
# a script has ended what it knows of.
wine_end_descendants() {
  local seconds=${1:-5} pids pid
  pids=$(wine_descendants "$$")
  [ -n "$pids" ] || return 0
  for pid in $pids; do
    echo "$pid $(cat "/proc/$pid/comm" 2>/dev/null)"
    kill -TERM "$pid" 2>/dev/null
  done
  for pid in $pids; do wine_wait_for "$seconds" wine_pid_gone "$pid" || kill -KILL "$pid" 2>/dev/null; done
  for pid in $pids; do wine_wait_for 5 wine_pid_gone "$pid"; done
  return 0
}

# The registry settings of every prefix we make: the fonts named by the
# dialog templates mapped to the IPA fonts (or Japanese glyphs are missing)
# and the English log viewer's to a fixed-width one Wine has,
# and no menu builder at each start of a wineserver (it is disabled anyway
# and would only log an error).
wine_base_registry() {
  cat <<'EOF'
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"Courier New"="DejaVu Sans Mono"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\RunServices]
"winemenubuilder"=-
EOF
}

# A Wine virtual desktop of the X screen's size: without a window manager,
# minimising and activation only behave like Windows inside one. Its shell
# adds a taskbar with the task buttons and the notification area, so a
# screenshot shows the caption on the button and the tray icon.
wine_desktop_registry() {
  if [ "$1" = on ]; then
    cat <<'EOF'
[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops\Default]
"EnableShell"=dword:00000001
EOF
  else
    cat <<'EOF'
[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"=-
EOF
  fi
}

# Imports registry text (UTF-8, .reg syntax without the header) from stdin
# into the current prefix. regedit wants UTF-16 with a byte-order mark for
# the Japanese names.
wine_registry_import() {
  local file
  file=$(mktemp "${TMPDIR:-/tmp}/cellwarden-XXXXXX.reg") || return
  {
    printf '\xff\xfe'
    { printf 'Windows Registry Editor Version 5.00\n\n'; cat; printf '\n'; } |
      sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
  } >"$file"
  wine_bounded 60 "${WINE[@]}" regedit /S "Z:${file//\//\\}"
  local status=$?
  rm -f "$file"
  [ "$status" = 0 ] || wine_error "regedit failed ($status)"
}

# Creates a fresh prefix at DIR (about 5 to 10 s) with the fonts mapped and,
# when DESKTOP is "on", the virtual desktop, then stops its wineserver so the
# registry is on disk. Needs DISPLAY (without one, wineboot cannot start
# explorer and parts of the set-up fail). Output of wineboot goes to LOG.
wine_prefix_create() {
  local dir=$1 desktop=$2 log=$3
  rm -rf "$dir"
  mkdir -p "$(dirname "$dir")"
  wine_use_prefix "$dir"
  if ! wine_bounded 180 "${WINE[@]}" wineboot -i >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    wine_prefix_stop
    wine_error "wineboot could not create $dir"
    return
  fi
  { wine_base_registry; echo; wine_desktop_registry "$desktop"; } | wine_registry_import || {
    wine_prefix_stop
    return 1
  }
  # Debian's Wine looks for its own fonts beside its libraries, not where
  # fonts-wine puts them; without Marlett the caption buttons show letters.
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/* "$dir/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  wine_prefix_stop
}

# Ends every process of the current prefix and its wineserver (which saves
# the registry). Touches no other prefix.
wine_prefix_stop() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wine_bounded 30 "$WINE_SERVER" -k >/dev/null 2>&1 || true
  wine_bounded 30 "$WINE_SERVER" -w >/dev/null 2>&1 || true
}

# Waits at most SECONDS for the program whose id is WINE_PID, a child of
# this shell, to end. Sets WINE_STATUS to its exit code (the loader execs
# into the Windows program, so it is the program's own) and returns 0, or
# returns 1 while it still runs.
wine_wait_exit() {
  local seconds=$1
  wine_wait_for "$seconds" wine_pid_gone "$WINE_PID" || return 1
  WINE_STATUS=0
  wait "$WINE_PID" || WINE_STATUS=$?
  return 0
}

# A Windows path for a Unix path (Wine maps / to Z:).
wine_path() {
  local path
  path=$(realpath -ms "$1")
  printf 'Z:%s\n' "${path//\//\\}"
}

# ----- the fake power-supply tree
# Wine's GetSystemPowerStatus reads /sys/class/power_supply on every call, so
# a directory bound over it inside a private mount namespace decides what
# the program sees: AC line from AC/online, the charging bit from
# BAT0/status, the percentage from BAT0/charge_now and charge_full.

# The program samples while a test changes the readings, so every change is
# made in one step: a file is replaced by renaming a new one over it (never
# seen empty), a battery comes and goes as a whole directory, and the
# readings change in an order whose steps between are harmless (below).

# Writes VALUE into FILE in one step.
power_write() {
  printf '%s\n' "$2" >"$1.new" && mv -f "$1.new" "$1"
}

# Fills DIR with the files of a battery at STATUS and PERCENT.
power_battery_files() {
  local dir=$1 status=$2 percent=$3
  mkdir -p "$dir"
  echo Battery >"$dir/type"
  echo 1 >"$dir/present"
  echo 10000000 >"$dir/charge_full"
  echo 10000000 >"$dir/charge_full_design"
  echo 1000000 >"$dir/current_now"
  echo 11100000 >"$dir/voltage_now"
  echo "$status" >"$dir/status"
  echo $((percent * 100000)) >"$dir/charge_now"
}

# Creates DIR with a mains adapter and one battery: on mains, not charging,
# 100 %.
power_tree_make() {
  local dir=$1
  mkdir -p "$dir/AC"
  echo Mains >"$dir/AC/type"
  echo 1 >"$dir/AC/online"
  power_battery_files "$dir/BAT0" "Not charging" 100
}

# Sets the readings: ONLINE 1 or 0 (mains), STATUS one of Charging,
# Discharging, Full, "Not charging", and PERCENT 0..100. Seen under Wine 8:
# 1 "Not charging" 37 -> AC 1, flag 0, 37 %; 1 Charging 37 -> 1, 8, 37;
# 0 Discharging 20 -> 0, 2 (low), 20; 1 Full 100 -> 1, 1 (high), 100.
# The percentage changes first, in the old kind; the status changes while
# the mains are off, so that no reading in between is a third kind (mains
# on with the old status would read as another kind, and sound).
power_set() {
  local dir=$1 online=$2 status=$3 percent=$4
  [ -d "$dir/BAT0" ] || power_insert_battery "$dir" "$online" "$status" "$percent" || return
  power_write "$dir/BAT0/charge_now" $((percent * 100000))
  if [ "$online" = 1 ]; then
    power_write "$dir/BAT0/status" "$status"
    power_write "$dir/AC/online" "$online"
  else
    power_write "$dir/AC/online" "$online"
    power_write "$dir/BAT0/status" "$status"
  fi
}

# Puts a battery in at once, readings and all (built beside DIR, then moved
# in), and sets the mains to ONLINE.
power_insert_battery() {
  local dir=$1 online=$2 status=$3 percent=$4
  local staging=$dir.battery
  rm -rf "$staging"
  power_battery_files "$staging" "$status" "$percent"
  mv "$staging" "$dir/BAT0" && power_write "$dir/AC/online" "$online"
}

# Takes the battery out at once: Wine then reports AC 1, flag 128 (no
# battery), 255.
power_remove_battery() {
  rm -rf "$1.removed"
  mv "$1/BAT0" "$1.removed" && rm -rf "$1.removed"
}

# Binds DIR over /sys/class/power_supply. Only inside a private mount
# namespace (unshare -m): it must never change the machine's own view.
power_tree_bind() {
  local dir=$1
  [ "$(readlink /proc/self/ns/mnt)" != "$(readlink /proc/1/ns/mnt)" ] ||
    wine_error "refusing to bind over /sys/class/power_supply outside a private mount namespace" || return
  [ -d /sys/class/power_supply ] || wine_error "/sys/class/power_supply does not exist here" || return
  mount --bind "$dir" /sys/class/power_supply || wine_error "could not bind $dir over /sys/class/power_supply"
}

# A screenshot of the whole X screen.
wine_screenshot() {
  wine_bounded 30 import -window root "$1"
}
