#!/usr/bin/env bash
# --help, --version and --autostart work without a display: they print to
# standard output and end with 0 before Qt looks for one. The autostart
# entry starts the program by its real path, not the link it was run by,
# and is refused for a program other users could replace.
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
# A language other than ja or en is refused before anything starts.
bare "$bin" --lang=fr --version >"$work/stdout"
status=$?
[ $status -eq 2 ] && [ ! -s "$work/stdout" ] && grep -q -- '--lang takes ja or en' "$work/stderr" ||
  fail "--lang=fr ended with $status: $(cat "$work/stdout" "$work/stderr")"
out=$(bare "$bin" --lang en --version) || fail "--lang en --version ended with $?: $(cat "$work/stderr")"

# Where only root can write on the way to /, as an installed program is.
safe=$(mktemp -d /run/cellwarden-options.XXXXXX) || fail "cannot make a folder under /run"
trap 'rm -rf "$safe"' EXIT
chmod 755 "$safe"
cp "$bin" "$safe/celwrd"
ln -s "$safe/celwrd" "$work/link"
bare "$work/link" --autostart on >/dev/null || fail "--autostart on ended with $?: $(cat "$work/stderr")"
grep -qx "Exec=\"$safe/celwrd\"" "$entry" || fail "the entry does not start $safe/celwrd: $(cat "$entry")"
bare "$bin" --autostart off >/dev/null || fail "--autostart off ended with $?"
[ ! -e "$entry" ] || fail "--autostart off left $entry"

# A program others could replace (under the sticky /tmp), or one whose path
# is not UTF-8, gets no entry: said on standard error, exit code 1.
mkdir -p "$work/unsafe" "$safe/$(printf 'caf\351')"
chmod 777 "$work/unsafe"
cp "$bin" "$work/unsafe/celwrd"
cp "$bin" "$safe/$(printf 'caf\351')/celwrd"
bare "$work/unsafe/celwrd" --autostart on >"$work/stdout"
[ $? = 1 ] && [ ! -s "$work/stdout" ] && [ ! -e "$entry" ] || fail "a replaceable program got an entry"
grep -q "other users can write $work/unsafe," "$work/stderr" && grep -q 'only you or root can write' "$work/stderr" ||
  fail "the refusal did not say why and what to do: $(cat "$work/stderr")"
bare "$safe/$(printf 'caf\351')/celwrd" --autostart on >"$work/stdout"
[ $? = 1 ] && [ ! -s "$work/stdout" ] && [ ! -e "$entry" ] || fail "a path that is not UTF-8 got an entry"
grep -q 'is not UTF-8' "$work/stderr" || fail "the refusal did not say why: $(cat "$work/stderr")"
bare "$bin" --autostart sometimes >"$work/stdout"
[ $? = 2 ] && [ ! -s "$work/stdout" ] || fail "--autostart sometimes was not refused"
echo "passed"
