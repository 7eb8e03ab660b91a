#!/usr/bin/env python3
"""Writes wear.trace: a hundred working days of a battery wearing, a
suspend each night, a calibration on the 51st day that lowers the full
capacity at once, and another battery put in on the 81st day."""
from datetime import datetime, timedelta

lines = ["# A hundred working days: the battery's full capacity falls a little",
         "# every fourth day and it does a cycle a day; a calibration at noon of",
         "# the 51st day lowers it at once; on the 81st day another battery is",
         "# put in. The machine sleeps at night."]
start = datetime(2026, 9, 1, 8, 0, 0)


def emit(when, text):
    lines.append(f"{when:%Y-%m-%d %H:%M:%S} {text}")


for day in range(100):
    morning = start + timedelta(days=day)
    if day == 0:
        emit(morning, "1 0 100")
    else:
        emit(morning, "resume")
    calibrated = 300 if day >= 50 else 0
    if day < 80:
        serial, full, cycles = "1234", 57020 - 40 * (day // 4) - calibrated, 212 + day
    else:
        serial, full, cycles = "5678", 56980 - 40 * ((day - 80) // 4), 3 + day - 80
    morningFull = full + calibrated if day == 50 else full
    emit(morning, f"health bat=BAT0 maker=SMP model=5B10W13930 serial={serial} tech=Li-ion "
                  f"design_mwh=57020 full_mwh={morningFull} cycles={cycles} mv=12600 mw=-9800")
    emit(morning + timedelta(minutes=1), "0 0 100")
    emit(morning + timedelta(hours=3), "0 0 55")
    if day == 50:
        emit(morning + timedelta(hours=4) - timedelta(seconds=1),
             f"health bat=BAT0 maker=SMP model=5B10W13930 serial={serial} tech=Li-ion "
             f"design_mwh=57020 full_mwh={full} cycles={cycles} mv=12600 mw=-9800")
    emit(morning + timedelta(hours=4), "1 8 50")
    emit(morning + timedelta(hours=6), "1 0 100")
    emit(morning + timedelta(hours=10), "suspend")

print("\n".join(lines))
