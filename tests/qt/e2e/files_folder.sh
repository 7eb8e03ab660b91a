#!/usr/bin/env bash
# Where the program keeps its files. A copy in a folder of the user's own
# keeps them beside itself, the folder taken as it is (a backslash is a
# letter of a Linux name). An installed one (its folder not the user's)
# keeps them in ~/.config/cellwarden/, made for the user alone, where a
# relative log file name lies too, and says once when it cannot write its
# settings there; it keeps none in a folder of another user's.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

# On mains without charging: -A ends the program at its first tick, saving.
power_set "$QE_POWER" 1 "Not charging" 100
run() {
  (cd "$QE_CWD" && exec "$1" -A) >"$QE_WORK/run.log" 2>&1 &
  QE_PID=$!
  qe_wait_exit 30
  [ "$QE_STATUS" = 0 ] || qe_fail "$1 ended with $QE_STATUS: $(cat "$QE_WORK/run.log")"
}

own="$QE_WORK/bs\\dir"
mkdir -p "$own" "$QE_WORK/bs/dir"
cp "$CELLWARDEN_BIN" "$own/celwrd"
run "$own/celwrd"
[ -f "$own/celwrd.INI" ] || qe_fail "no settings beside the program: $own holds $(ls "$own")"
[ -z "$(ls -A "$QE_WORK/bs/dir")" ] || qe_fail "files went to bs/dir: $(ls "$QE_WORK/bs/dir")"

# A line break in the folder's name stays out of the settings file.
broken="$QE_WORK/line
Cmanip.Sasksuspendok = 1 "
mkdir -p "$broken"
cp "$CELLWARDEN_BIN" "$broken/celwrd"
run "$broken/celwrd"
[ -f "$broken/celwrd.INI" ] || qe_fail "no settings beside the program: $(ls "$broken")"
asks=$(grep -a '^Cmanip.Sasksuspendok = ' "$broken/celwrd.INI" | tr -d '\r')
[ "$asks" = 'Cmanip.Sasksuspendok = 0' ] || qe_fail "the folder's name split the settings file: [$asks]"

installed=$QE_WORK/installed
config=$HOME/.config/cellwarden
mkdir -p "$installed"
cp "$CELLWARDEN_BIN" "$installed/celwrd"
chown -R nobody: "$installed"
run "$installed/celwrd"
[ "$(stat -c %a "$config")" = 700 ] || qe_fail "$config is not the user's alone: $(stat -c %a "$config")"
[ -f "$config/celwrd.INI" ] || qe_fail "no settings in $config: $(ls -A "$config")"
[ "$(ls "$installed")" = celwrd ] || qe_fail "files went beside the installed program: $(ls "$installed")"
[ -z "$(ls -A "$QE_CWD")" ] || qe_fail "files went to the current directory: $(ls -A "$QE_CWD")"

# A configuration folder another user's environment names (su without -)
# is not used: said, exit code 1, nothing made in their folders.
theirs=$QE_WORK/theirs
mkdir -p "$theirs"
chown nobody: "$theirs"
(cd "$QE_CWD" && exec env XDG_CONFIG_HOME="$theirs/.config" "$installed/celwrd" -A) >"$QE_WORK/theirs.log" 2>&1 &
QE_PID=$!
qe_wait_exit 30
[ "$QE_STATUS" = 1 ] || qe_fail "it ran on another user's folder: exit code $QE_STATUS"
grep -q "$theirs/.config/cellwarden/ is another user's" "$QE_WORK/theirs.log" ||
  qe_fail "it did not say why: $(cat "$QE_WORK/theirs.log")"
[ -z "$(ls -A "$theirs")" ] || qe_fail "it made $(ls -A "$theirs") in another user's folder"

# A log file named without a folder lies in that folder.
sed -i 's/^Clogfile\.Slogfilename = .*\r$/Clogfile.Slogfilename = relative.LOG\r/; s/^Clogfile\.Sneedsavelogfile = .*\r$/Clogfile.Sneedsavelogfile = 1\r/' \
  "$config/celwrd.INI"
run "$installed/celwrd"
[ -f "$config/relative.LOG" ] || qe_fail "the relative log is not in $config: $(ls -A "$config")"

# A folder it cannot write: said once, and the program runs all the same.
mount --bind "$config" "$config" && mount -o remount,bind,ro "$config" || qe_fail "cannot make $config read-only"
run "$installed/celwrd"
said=$(grep -c 'cannot write the settings' "$QE_WORK/run.log")
[ "$said" = 1 ] || qe_fail "told $said times: $(cat "$QE_WORK/run.log")"
qe_log "passed"
