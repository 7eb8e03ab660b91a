#!/usr/bin/env python3
"""Writes a health history (CELWRDHL.LOG) of YEARS years to standard output,
for measuring celwrd-chart and drawing the README's pictures: a line a day
at 9:00 and one more at each change of the full capacity (every fourth
day), the battery wearing about 4 points a year and doing about 0.8 cycles
a day; two weeks away each summer (no lines: a gap), and another battery
put in after three and a half years.

    tools/chart/make_long_history.py 5 > /tmp/CELWRDHL.LOG
"""
import datetime
import sys


def line(when, serial, full, cycles, mw):
    return ("time=%sT%02d:00:00+09:00\tbat=BAT0\tmaker=SMP\tmodel=5B10W13930\tserial=%s\ttech=Li-ion"
            "\tdesign_mwh=57020\tfull_mwh=%d\tcycles=%d\tmv=12600\tmw=%d\r\n"
            % (when.isoformat(), 9 if mw < 0 else 13, serial, full, cycles, mw))


def main():
    years = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    out = sys.stdout
    out.write("#cellwarden-health\tversion=1\r\n")
    first = datetime.date(2022, 1, 1)
    swap = int(3.5 * 365)
    for day in range(years * 365 + 1):
        when = first + datetime.timedelta(days=day)
        if when.month == 8 and 1 <= when.day <= 14:
            continue
        age = day if day < swap else day - swap
        serial = "1234" if day < swap else "5678"
        full = 57020 - (age // 4) * 44 - (350 if age > 400 else 0)
        cycles = age * 4 // 5 + (3 if day >= swap else 0)
        mw = -(9000 + (day * 37) % 2600)
        out.write(line(when, serial, full, cycles, mw))
        if day % 4 == 3:
            out.write(line(when, serial, full - 22, cycles, 4100))


main()
