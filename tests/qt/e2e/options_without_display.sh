#!/usr/bin/env bash
# --help, --version and --autostart work without a display: they print to
# standard output and end with 0 before Qt looks for one. The autostart
# entry starts the program by its real path, not the link it was run by.
set -u
bin=${CELLWARDEN_BIN:-$(cd "$(dirname "$0")/../../.." && pwd)/build/native/celwrd}
work=${QE_WORK:-${TMPDIR:-/tmp}/cellwarden-qt-e2e/options_without_display}
rm -rf "$work"
mkdir -p "$work"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
bare() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" "$@" 2>"$work/stderr"; }
entry=$work/config/autostart/cellwarden.desktop

out=$(bare "$bin" --help) || fail "--help ended with $?: $(cat "$work/stderr")"
grep -q -- '--autostart on|off' <<<"$out" || fail "--help said: $out"
out=$(bare "$bin" -A --version) || fail "--version ended with $?: $(cat "$work/stderr")"
[ "$out" = "Cellwarden 1.05A" ] || fail "--version said: $out"

ln -s "$bin" "$work/link"
bare "$work/link" --autostart on >/dev/null || fail "--autostart on ended with $?: $(cat "$work/stderr")"
grep -qx "Exec=\"$(readlink -f "$bin")\"" "$entry" || fail "the entry does not start $bin: $(cat "$entry")"
bare "$bin" --autostart off >/dev/null || fail "--autostart off ended with $?"
[ ! -e "$entry" ] || fail "--autostart off left $entry"
bare "$bin" --autostart sometimes >"$work/stdout"
[ $? = 2 ] && [ ! -s "$work/stdout" ] || fail "--autostart sometimes was not refused"
echo "passed"
