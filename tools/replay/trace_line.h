// One line of a recorded power trace:
//   YYYY-MM-DD HH:MM:SS[.mmm] AC FLAG PERCENT   a reading (the three status bytes)
//   YYYY-MM-DD HH:MM:SS[.mmm] EVENT             suspend, standby, resume, endsession, exit
//   YYYY-MM-DD HH:MM:SS[.mmm] health bat=NAME KEY=VALUE ...   what a battery now says of its health,
//                                               the keys of the health history; "removed" takes it out
// Blank lines and lines starting with '#' carry nothing.
#pragma once

#include "platform/battery_health.h"
#include "platform/platform.h"

enum class TraceEvent { None, Suspend, Standby, Resume, EndSession, Exit, Health };

struct TraceLine {
    LocalTime time;
    TraceEvent event;     // None for a reading
    PowerReading reading;
    BatteryHealth battery;  // Health: the battery as it now reads
    bool removed;           // Health: the battery is taken out
};

enum class TraceParse { Line, Nothing, Error };

// Parses `text` (without its line end). On Error, *error says what is wrong.
TraceParse parseTraceLine(const char* text, TraceLine* out, const char** error);
