#!/usr/bin/env bash
# Draws the README's pictures of the health chart (docs/health-chart.png)
# and the battery report (docs/report.png): five years of a battery's
# health history with a swap and summer gaps (make_long_history.py) and
# the last three months of a battery log (make_long_log.py), charted and
# reported by celwrd-chart; the chart turned into a PNG by rsvg-convert,
# the page by Chromium without a window.
#   tools/chart/make_report_example.sh [BUILD_DIR]          (default build/native)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/native}
if [ ! -x "$build/celwrd-chart" ]; then
  echo "$build/celwrd-chart is missing: cmake --build $build --target celwrd-chart" >&2
  exit 1
fi
if ! command -v rsvg-convert >/dev/null || ! command -v chromium >/dev/null; then
  . scripts/lib.sh
  install_packages librsvg2-bin chromium fonts-ipafont-gothic
fi

root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
python3 "$root/tools/chart/make_long_history.py" 5 >CELWRDHL.LOG
python3 "$root/tools/chart/make_long_log.py" 77400 2026-10-01 >CELWRD.LOG
# Names as given, so that the page shows no folder of this machine's.
"$root/$build/celwrd-chart" --health-chart CELWRDHL.LOG >health.svg
"$root/$build/celwrd-chart" --report --history CELWRDHL.LOG --log CELWRD.LOG >report.html
rsvg-convert --background-color=white health.svg -o "$root/docs/health-chart.png"
# The top of the page: the batteries, both charts and the latest months.
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 \
  --screenshot="$work/report.png" --window-size=1060,2250 "file://$work/report.html" >/dev/null 2>&1
cp report.png "$root/docs/report.png"
echo "docs/health-chart.png and docs/report.png from $(grep -c time= CELWRDHL.LOG) history lines and $(wc -l <CELWRD.LOG) log lines"
