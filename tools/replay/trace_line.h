// One line of a recorded power trace:
//   YYYY-MM-DD HH:MM:SS[.mmm] AC FLAG PERCENT   a reading (the three status bytes)
//   YYYY-MM-DD HH:MM:SS[.mmm] EVENT             suspend, standby, resume, endsession, exit
// Blank lines and lines starting with '#' carry nothing.
#pragma once

#include "platform/platform.h"

enum class TraceEvent { None, Suspend, Standby, Resume, EndSession, Exit };

struct TraceLine {
    LocalTime time;
    TraceEvent event;     // None for a reading
    PowerReading reading;
};

enum class TraceParse { Line, Nothing, Error };

// Parses `text` (without its line end). On Error, *error says what is wrong.
TraceParse parseTraceLine(const char* text, TraceLine* out, const char** error);
