// The event script AUTOEXEC.CLW: programs the user has started on power and
// life-cycle events. Read afresh at every call; never written.
#pragma once

#include "base/paths.h"
#include "base/text_file.h"

enum PowerEvent {
    kEventBoot, kEventStart, kEventResume, kEventSuspend, kEventStop, kEventEnd,
    kEventAcOn, kEventAcOff, kEventBatOn, kEventBatOff, kEventBatFull, kEventBatLow,
    kPowerEventCount
};

enum EventTrigger {
    kTriggerBoot = 0,      // BOOT and START
    kTriggerResume = 1,    // START and RESUME
    kTriggerSuspend = 2,   // SUSPEND and STOP
    kTriggerShutdown = 3,  // STOP and END
    kTriggerAcOn = 4,
    kTriggerAcOff = 5,
    kTriggerBatOn = 6,
    kTriggerBatOff = 7,
    kTriggerBatFull = 8,
    kTriggerBatLow = 9,
    kTriggerCount
};

// 1 at start: the first power-change trigger after start-up, and after a
// life-cycle trigger that reached an entry, runs nothing.
extern int powerEventHold;

// As the program starts: the first power-change trigger held.
void resetEventScript();

// One complete entry: a working-directory line and a command line.
struct ScriptEntry {
    int section;          // PowerEvent
    const char* directory;
    const char* command;  // without the "!" of a launch-only entry
    bool launchOnly;
};

using ScriptEntryVisitor = void (*)(const ScriptEntry& entry, void* context);

// Reads the script at `path` and hands every complete entry that lies in a
// section to `visit`, in file order. A script someone else could have
// written is not read (Refused). An entry with a line longer than the line
// buffer is dropped whole: cut short, it would run something else.
TextFileOpen forEachScriptEntry(const char* path, ScriptEntryVisitor visit, void* context);

// The files folder followed by AUTOEXEC.CLW.
void eventScriptPath(char (&out)[kPathSize]);

// Runs the entries of the sections that belong to `trigger`, one after the
// other; waited entries run to their end before the next one starts. A
// script someone else could have written runs nothing, and the user is
// told.
void runEventScript(int trigger);

// Told of every runner call before it reads the script (the replay tool).
using EventScriptObserver = void (*)(int trigger);
void setEventScriptObserver(EventScriptObserver observer);
