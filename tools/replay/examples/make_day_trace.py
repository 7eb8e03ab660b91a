#!/usr/bin/env python3
"""Writes day.trace: a working day of a notebook, one line per change."""
from datetime import datetime, timedelta

lines = ["# A working day: charged overnight, on the battery in the morning,",
         "# charging at lunch, on the battery again, a suspend, charging at night."]
t = datetime(2026, 12, 8, 0, 0, 0)


def emit(when, text):
    lines.append(f"{when:%Y-%m-%d %H:%M:%S}.{when.microsecond // 1000:03d} {text}")


def run(start, kind, first, last, seconds):
    """One line per percent from `first` to `last`, `seconds` apart."""
    ac, flag = {"discharge": (0, 0), "charge": (1, 8), "acbatt": (1, 0)}[kind]
    step = 1 if last >= first else -1
    when = start
    for percent in range(first, last + step, step):
        emit(when, f"{ac} {flag} {percent}")
        when += timedelta(seconds=seconds)
    return when


emit(t, "1 0 100")
t = run(datetime(2026, 12, 8, 8, 30, 0, 250000), "discharge", 100, 40, 200)
t = run(datetime(2026, 12, 8, 12, 0, 0), "charge", 40, 100, 74)
emit(t, "1 0 100")
t = run(datetime(2026, 12, 8, 14, 0, 0), "discharge", 100, 15, 181)
emit(datetime(2026, 12, 8, 18, 20, 0), "suspend")
emit(datetime(2026, 12, 8, 19, 0, 0), "resume")
t = run(datetime(2026, 12, 8, 19, 5, 0), "charge", 15, 100, 77)
emit(t, "1 0 100")
emit(datetime(2026, 12, 8, 23, 59, 59), "1 0 100")
print("\n".join(lines))
