#!/usr/bin/env bash
# Runs one group of platform_test.exe under Wine, in a prefix of its own
# under the build tree. Exit 77 tells CTest the test was skipped.
#   run_under_wine.sh prefix  PREFIX
#   run_under_wine.sh run     PREFIX EXE GROUP...     (plain)
#   run_under_wine.sh display PREFIX EXE GROUP        (under a private X server)
#   run_under_wine.sh power   PREFIX EXE              (a fake battery tree)
#   run_under_wine.sh imports EXE OBJDUMP
set -u
mode=$1
shift

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
locale_name=ja_JP.UTF-8

skip() {
  echo "SKIPPED: $*"
  exit 77
}

use_prefix() {
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
  # Code page 932. Wine takes it from LC_ALL even without the locale, but
  # then cannot turn non-ASCII file names into Unix ones.
  export LANG=$locale_name LC_ALL=$locale_name
}

[ -x "$wine" ] || [ "$mode" = imports ] || skip "wine64 is not installed ($wine)"

case $mode in
prefix)
  use_prefix "$1"
  if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
    [ "$(id -u)" = 0 ] && command -v localedef >/dev/null && timeout 300 localedef -i ja_JP -f UTF-8 "$locale_name" ||
      { echo "the locale $locale_name is missing: as root, localedef -i ja_JP -f UTF-8 $locale_name (package locales)"; exit 1; }
  fi
  [ -f "$1/.made" ] && exit 0
  rm -rf "$1"
  timeout --kill-after=5 120 "$wine" wineboot --init >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
  # A virtual desktop: without a window manager, minimising and every
  # message box would wait seconds for an answer that never comes.
  desktop="$1/desktop.reg"
  printf '%s\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="1024x768"' >"$desktop"
  timeout --kill-after=5 60 "$wine" regedit /S "$desktop" || { echo "regedit failed"; exit 1; }
  timeout 60 "$wineserver" -w
  touch "$1/.made"
  ;;
run)
  use_prefix "$1"
  timeout --kill-after=5 60 "$wine" "$2" "${@:3}"
  ;;
display)
  use_prefix "$1"
  command -v xvfb-run >/dev/null || skip "xvfb-run is not installed (package xvfb)"
  # The explorer that serves the tray lives as long as the wineserver: it
  # must not outlive the X server it was started on.
  timeout 30 "$wineserver" -k 2>/dev/null
  timeout --kill-after=5 90 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh -c '
    timeout --kill-after=5 60 "$1" "$3" "$4"
    status=$?
    timeout 30 "$2" -k 2>/dev/null
    exit $status' sh "$wine" "$wineserver" "$2" "$3"
  ;;
power)
  use_prefix "$1"
  [ "$(id -u)" = 0 ] || skip "a fake power-supply tree needs root"
  fake=$(mktemp -d)
  trap 'rm -rf "$fake"' EXIT
  mkdir "$fake/AC" "$fake/BAT0"
  echo Mains >"$fake/AC/type"
  echo 0 >"$fake/AC/online"
  b=$fake/BAT0
  echo Battery >"$b/type"; echo 1 >"$b/present"; echo Discharging >"$b/status"
  echo 37000 >"$b/charge_now"; echo 100000 >"$b/charge_full"; echo 100000 >"$b/charge_full_design"
  echo 1000000 >"$b/current_now"; echo 12000000 >"$b/voltage_now"
  unshare -m true 2>/dev/null || skip "no mount namespace here (unshare -m)"
  # 0 offline, 0 discharging (no flag), 37 % (Wine reads the tree on every call).
  timeout --kill-after=5 60 unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply && shift && exec "$@"' \
    sh "$fake" "$wine" "$2" power 0 0 37
  ;;
imports)
  # Only these DLLs may be imported statically; winmm above all must not be.
  allowed='^(kernel32|user32|gdi32|shell32|comdlg32|advapi32|msvcrt|ole32|shlwapi|comctl32)\.dll$'
  dlls=$("$2" -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  echo "imports:" $dlls
  [ -n "$dlls" ] || { echo "FAIL: no import table read"; exit 1; }
  bad=$(echo "$dlls" | grep -Ev "$allowed")
  [ -z "$bad" ] || { echo "FAIL: imports" $bad; exit 1; }
  ;;
*)
  echo "unknown mode $mode"
  exit 2
  ;;
esac
