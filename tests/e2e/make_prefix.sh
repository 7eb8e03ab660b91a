#!/usr/bin/env bash
# Makes the Wine prefix that every end-to-end test of this run starts from
# (each test mounts its own copy-on-write view of it): fonts mapped to the IPA
# fonts, a 1024x768 virtual desktop, the Japanese locale generated.
set -uo pipefail
E2E_SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
. "$E2E_SOURCE/scripts/wine.sh"
: "${E2E_ROOT:=${TMPDIR:-/tmp}/cellwarden-e2e}"
unset WINEPREFIX
# A child subreaper, so that the wineserver and the services that wineboot
# leaves are reaped here and ended below.
if [ -z "${E2E_SUBREAPER:-}" ]; then
  export E2E_SUBREAPER=1
  wine_exec_subreaper bash "$0" "$@"
fi

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

command -v Xvfb >/dev/null && [ -x "$WINE_LOADER" ] ||
  fail "Wine or Xvfb is missing: install ${WINE_PACKAGES[*]}"
wine_ensure_locale || fail "no Japanese locale"

mkdir -p "$E2E_ROOT/make-prefix"
trap 'wine_prefix_stop; wine_xvfb_stop; wine_end_descendants >/dev/null' EXIT
trap 'exit 130' INT TERM
wine_xvfb_start "$E2E_ROOT/make-prefix" || fail "no X server"
export HOME=$E2E_ROOT/home
mkdir -p "$HOME"
started=$SECONDS
wine_prefix_create "$E2E_ROOT/prefix" on "$E2E_ROOT/make-prefix/wineboot.log" || fail "no Wine prefix"
grep -q '"IPAPGothic"' "$E2E_ROOT/prefix/system.reg" || fail "the font substitutes are not in the prefix's registry"
grep -q '"Default"="1024x768"' "$E2E_ROOT/prefix/user.reg" || fail "the virtual desktop is not in the prefix's registry"
echo "made $E2E_ROOT/prefix in $((SECONDS - started)) s"
