#!/usr/bin/env bash
# Runs one group of platform_test.exe under Wine, in a prefix of its own
# under the build tree, made with the same settings as every other prefix
# of ours (scripts/wine.sh). Exit 77 tells CTest the test was skipped.
#   run_under_wine.sh prefix  PREFIX
#   run_under_wine.sh run     PREFIX EXE GROUP...     (plain)
#   run_under_wine.sh display PREFIX EXE GROUP        (under a private X server)
#   run_under_wine.sh power   PREFIX EXE              (a fake battery tree)
#   run_under_wine.sh owners  PREFIX EXE              (files and folders of other users and modes, links)
set -u
mode=$1
shift
. "$(dirname "$0")/../../scripts/wine.sh"
export WINEDEBUG=${WINEDEBUG:--all}

skip() {
  echo "SKIPPED: $*"
  exit 77
}

[ -x "$WINE_LOADER" ] || skip "wine64 is not installed ($WINE_LOADER)"
wine_use_prefix "$1"

case $mode in
prefix)
  wine_ensure_locale || exit 1
  [ -f "$1/.made" ] && exit 0
  command -v Xvfb >/dev/null || skip "Xvfb is not installed (package xvfb)"
  work=$(mktemp -d)
  trap 'wine_prefix_stop; wine_xvfb_stop; rm -rf "$work"' EXIT
  wine_xvfb_start "$work" || exit 1
  # The virtual desktop: without a window manager, minimising and every
  # message box would wait seconds for an answer that never comes.
  wine_prefix_create "$1" on "$work/wineboot.log" || exit 1
  touch "$1/.made"
  ;;
run)
  wine_bounded 60 "${WINE[@]}" "$2" "${@:3}"
  ;;
display)
  command -v xvfb-run >/dev/null || skip "xvfb-run is not installed (package xvfb)"
  # The explorer that serves the tray lives as long as the wineserver: it
  # must not outlive the X server it was started on.
  wine_prefix_stop
  wine_bounded 90 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh -c '
    server=$1
    shift
    timeout --kill-after=5 60 "$@"
    status=$?
    timeout 30 "$server" -k 2>/dev/null
    exit $status' sh "$WINE_SERVER" "${WINE[@]}" "$2" "$3"
  ;;
power)
  [ "$(id -u)" = 0 ] || skip "a fake power-supply tree needs root"
  unshare -m true 2>/dev/null || skip "no mount namespace here (unshare -m)"
  fake=$(mktemp -d)
  trap 'rm -rf "$fake"' EXIT
  power_tree_make "$fake"
  power_set "$fake" 0 Discharging 37
  # 0 offline, 0 discharging (no flag), 37 % (Wine reads the tree on every call).
  wine_bounded 60 unshare -m bash -c '. "$1"; power_tree_bind "$2" && exec "${WINE[@]}" "$3" power 0 0 37' \
    bash "$(dirname "$0")/../../scripts/wine.sh" "$fake" "$2"
  ;;
owners)
  [ "$(id -u)" = 0 ] || skip "a file of another user needs root"
  id nobody >/dev/null 2>&1 || skip "no user nobody"
  folder=$(mktemp -d)
  trap 'rm -rf "$folder"' EXIT
  umask 022
  echo theirs >"$folder/theirs.txt"
  chown nobody "$folder/theirs.txt"
  echo linked >"$folder/target.ini"
  ln -s target.ini "$folder/linked.ini"
  # Wine turns the "other" bits of a mode into an entry for Everyone.
  mkdir -m 755 "$folder/closed" "$folder/theirs"
  mkdir -m 777 "$folder/open"
  mkdir -m 1777 "$folder/sticky"
  chown nobody "$folder/theirs"
  for file in closed/mine closed/everyones open/mine open/target sticky/mine theirs/mine; do
    echo x >"$folder/$file.ini"
  done
  chmod 666 "$folder/closed/everyones.ini"
  ln -s ../open/target.ini "$folder/closed/out.ini"
  modes=$(cd "$folder" && stat -c '%n %a %U' closed open sticky theirs closed/mine.ini closed/everyones.ini | tr '\n' ' ')
  [ "$modes" = "closed 755 root open 777 root sticky 1777 root theirs 755 nobody closed/mine.ini 644 root closed/everyones.ini 666 root " ] || {
    echo "FAIL: the folder was not prepared: $modes"
    exit 1
  }
  wine_bounded 60 "${WINE[@]}" "$2" owners "$(wine_path "$folder")"
  ;;
*)
  echo "unknown mode $mode"
  exit 2
  ;;
esac
