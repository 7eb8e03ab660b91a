#!/usr/bin/env bash
# Draws docs/chart.png, the README's picture: the example day of the replay
# tool, its log lines written out as the program writes its log file,
# charted and turned into a PNG by rsvg-convert.
#   tools/chart/make_example.sh [BUILD_DIR]          (default build/native)
# With --check it draws nothing and fails when the chart skipped any line
# of that log, the CTest Chart.ReadsAReplayedDay.
#   tools/chart/make_example.sh --check BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/../.."
check=false
if [ "${1:-}" = --check ]; then
  check=true
  shift
fi
build=${1:-build/native}
for program in celwrd-replay celwrd-chart; do
  if [ ! -x "$build/$program" ]; then
    echo "$build/$program is missing: cmake --build $build --target celwrd-replay celwrd-chart" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/celwrd-replay" --settings tools/replay/examples/celwrd.ini tools/replay/examples/day.trace >"$work/replay.out"
# Each "log LINE" that follows a "file PATH" went to the log file; the
# program ends its lines with CR LF.
awk '$3 == "file" { filed = 1; next }
     $3 == "log" && filed { printf "%s\r\n", substr($0, index($0, " log ") + 5) }
     { filed = 0 }' "$work/replay.out" >"$work/CELWRD.LOG"
if [ ! -s "$work/CELWRD.LOG" ]; then
  echo "the replay wrote no log lines" >&2
  exit 1
fi
"$build/celwrd-chart" "$work/CELWRD.LOG" >"$work/chart.svg" 2>"$work/skipped"
if [ -s "$work/skipped" ]; then
  cat "$work/skipped" >&2
  exit 1
fi
$check && exit 0

if ! command -v rsvg-convert >/dev/null; then
  . scripts/lib.sh
  install_packages librsvg2-bin fonts-ipafont-gothic
fi
rsvg-convert --background-color=white "$work/chart.svg" -o docs/chart.png
echo "docs/chart.png from $(grep -c . "$work/CELWRD.LOG") log lines"
