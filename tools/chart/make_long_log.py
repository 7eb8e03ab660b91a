#!/usr/bin/env python3
"""Writes a battery log of LINES lines to standard output, for measuring
celwrd-chart on a log of years: every day the notebook runs from 8:00 to
22:00 and logs once a minute, on the battery in the morning and the
afternoon, charging in between; the battery wears, so the seconds per 1 %
fall over the months.

    tools/chart/make_long_log.py 500000 > /tmp/long.log
    tools/chart/make_long_log.py 80000 2026-10-01 > /tmp/autumn.log   (from that day)
"""
import datetime
import sys


def hms(seconds):
    seconds %= 86400
    return seconds // 3600, seconds // 60 % 60, seconds % 60


def status(kind, percent, rate, now, rest, span):
    end = hms(now + rest)
    rest_h = rest // 3600 if kind == "AC&Batt" else rest // 3600 % 24
    return ("%-9s | %3d%% | %4dsec/1%% | end %2d:%02d:%02d | rest %2d:%02d:%02d | now %2d:%02d:%02d (%4dsec)"
            % ((kind, percent, rate) + end + (rest_h, rest // 60 % 60, rest % 60) + hms(now) + (span,)))


def main():
    total = int(sys.argv[1])
    out = sys.stdout
    written = 0
    day = datetime.date.fromisoformat(sys.argv[2]) if len(sys.argv) > 2 else datetime.date(2024, 1, 1)
    n = 0
    while written < total:
        wear = 1.0 - 0.25 * min(n / 700.0, 1.0)
        discharge_rate = int(200 * wear)
        charge_rate = int(74 * (2 - wear))
        stamp = "%d/%02d/%02d" % (day.year, day.month, day.day)
        out.write("[Open logfile at %s  8:00:00]\r\n" % stamp)
        written += 1
        percent = 100.0
        for minute in range(8 * 60, 22 * 60):
            if written >= total - 1:
                break
            now = minute * 60
            if 12 * 60 <= minute < 13 * 60 + 30 or minute >= 19 * 60:
                kind = "Charge" if percent < 100 else "AC&Batt"
                percent = min(100.0, percent + 60.0 / charge_rate)
                rate = charge_rate if kind == "Charge" else discharge_rate
                rest = int((100 - percent) * charge_rate) if kind == "Charge" else int(percent * discharge_rate)
            else:
                kind = "Discharge"
                percent = max(0.0, percent - 60.0 / discharge_rate)
                rate = discharge_rate
                rest = int(percent * discharge_rate)
            out.write(status(kind, int(percent), rate, now, rest, 60) + "\r\n")
            written += 1
        out.write("[Close logfile at %s 22:00:00]\r\n" % stamp)
        written += 1
        day += datetime.timedelta(days=1)
        n += 1


main()
