// The replay's engine, shared by celwrd-replay and its fuzz target.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "trace_line.h"

struct ReplaySetup {
    bool autoExit = false;              // the "-A" option
    std::string programPath = "celwrd.exe";
    const std::string* settings = nullptr;  // the settings file beside the program, if any
    const std::string* script = nullptr;    // AUTOEXEC.CLW beside the program, if any
};

// Starts the program on a simulated machine, follows `lines` (at least one
// reading among them; times never go back) and prints to `printTo` what the
// program does. False when there is nothing to run or the program's
// command line is refused.
bool runReplay(const ReplaySetup& setup, const std::vector<TraceLine>& lines, FILE* printTo);

// The same run a line at a time, for a caller that also drives the
// simulated machine between lines (sets its clock, holds its thread):
// start, then each line until one returns false, then finish.
bool startReplay(const ReplaySetup& setup, const TraceLine& first, const PowerReading& reading, FILE* printTo);
bool replayLine(const TraceLine& line);
void finishReplay();
