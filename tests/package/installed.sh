#!/usr/bin/env bash
# The Debian package installed into a scratch root by dpkg: the files a
# desktop looks for, each where it looks, and the installed program runs:
# it starts, shows its caption, ends cleanly on SIGTERM and keeps its
# settings in the user's configuration folder.
. "$(dirname "$0")/../qt/e2e/harness.sh"
qe_begin "$@"

deb=$(ls "$QE_SOURCE"/dist/cellwarden_*.deb) || qe_fail "no package in dist/: run scripts/package"
root=$QE_WORK/root
admin=$root/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates"
touch "$admin/status"
# The libraries it needs are the host's, not in the scratch root's records.
dpkg --instdir="$root" --admindir="$admin" --force-depends --force-script-chrootless -i "$deb" >"$QE_WORK/dpkg.log" 2>&1 ||
  qe_fail "dpkg could not install the package: $(cat "$QE_WORK/dpkg.log")"

usr=$root/usr
for file in bin/celwrd bin/celwrd-chart bin/celwrd-replay; do
  [ -x "$usr/$file" ] || qe_fail "no program $file"
done
for file in share/man/man1/celwrd.1.gz share/man/man1/celwrd-chart.1.gz share/man/man1/celwrd-replay.1.gz \
  share/doc/cellwarden/celwrd.html share/doc/cellwarden/AUTOEXEC.example.CLW share/doc/cellwarden/copyright \
  share/doc/cellwarden/changelog.gz share/metainfo/example.cellwarden.cellwarden.metainfo.xml; do
  [ -s "$usr/$file" ] || qe_fail "no $file"
done
desktop-file-validate "$usr/share/applications/cellwarden.desktop" || qe_fail "the desktop file is not valid"
# Menus show the entry in English and in Japanese.
for key in Name GenericName Comment 'Name[ja]' 'GenericName[ja]' 'Comment[ja]'; do
  awk -F= -v key="$key" '$1 == key && $2 != "" { found = 1 } END { exit !found }' \
    "$usr/share/applications/cellwarden.desktop" || qe_fail "the desktop file has no $key"
done
for size in 16 22 24 32 48 64 128 256; do
  icon=$usr/share/icons/hicolor/${size}x${size}/apps/cellwarden.png
  [ "$(identify -format %wx%h "$icon" 2>/dev/null)" = "${size}x${size}" ] || qe_fail "no ${size} px icon"
done
for page in celwrd celwrd-chart celwrd-replay; do
  zcat "$usr/share/man/man1/$page.1.gz" | groff -man -ww -z 2>"$QE_WORK/man.log" && [ ! -s "$QE_WORK/man.log" ] ||
    qe_fail "$page.1: $(cat "$QE_WORK/man.log")"
done

# The installed program itself, not a copy, in a folder that is not the
# user's (as /usr/bin is not), so it keeps its files in theirs.
QE_PROGRAM=$usr/bin
chown nobody "$QE_PROGRAM"
qe_start
qe_wait_caption '^100%' 20
kill -TERM "$QE_PID"
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS on SIGTERM"
files=$HOME/.config/cellwarden
[ -s "$files/celwrd.INI" ] || qe_fail "no settings saved in $files on SIGTERM"
[ "$(stat -c %a "$files")" = 700 ] || qe_fail "$files is not the user's alone"
[ ! -e "$QE_PROGRAM/celwrd.INI" ] || qe_fail "the installed program wrote beside itself"
qe_log "passed"
