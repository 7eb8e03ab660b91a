#include "actions/event_script.h"

#include <cstring>

#include "base/program.h"
#include "base/refused_files.h"
#include "base/text_file.h"
#include "platform/platform.h"

int powerEventHold = 1;

void resetEventScript() { powerEventHold = 1; }

static EventScriptObserver scriptObserver;

void setEventScriptObserver(EventScriptObserver observer) { scriptObserver = observer; }

static const char* const kHeaders[kPowerEventCount] = {
    "[BOOT]", "[START]", "[RESUME]", "[SUSPEND]", "[STOP]", "[END]",
    "[AC-ON]", "[AC-OFF]", "[BAT-ON]", "[BAT-OFF]", "[BAT-FULL]", "[BAT-LOW]",
};

// The sections each trigger runs; -1 for none.
static const int kTriggerSections[kTriggerCount][2] = {
    {kEventBoot, kEventStart},   {kEventStart, kEventResume}, {kEventSuspend, kEventStop},
    {kEventStop, kEventEnd},     {kEventAcOn, -1},            {kEventAcOff, -1},
    {kEventBatOn, -1},           {kEventBatOff, -1},          {kEventBatFull, -1},
    {kEventBatLow, -1},
};

// Comments, and lines that start with a blank, a control byte or any byte
// from 0x80 up (read as a signed byte, those are "blank" too).
static bool isIgnorable(const char* line) {
    signed char first = static_cast<signed char>(line[0]);
    return first == ';' || first == '#' || first <= 32;
}

static int headerOf(const char* line) {
    for (int i = 0; i < kPowerEventCount; ++i)
        if (strncmp(line, kHeaders[i], strlen(kHeaders[i])) == 0) return i;
    return -1;
}

TextFileOpen forEachScriptEntry(const char* path, ScriptEntryVisitor visit, void* context) {
    LineReader reader;
    TextFileOpen opened = openTrustedLineReader(reader, path);
    if (opened != TextFileOpen::Opened) return opened;
    int section = -1;
    char directory[kLineBufferSize];
    char command[kLineBufferSize];
    bool directoryCut, commandCut;
    while (readWholeLine(reader, directory, &directoryCut)) {
        if (isIgnorable(directory)) continue;
        int header = headerOf(directory);
        if (header >= 0) {
            section = header;
            continue;
        }
        if (section < 0) continue;
        // The next line is the command, whatever it looks like.
        if (!readWholeLine(reader, command, &commandCut) || isIgnorable(command)) continue;
        // Cut short, the entry cannot run as written.
        if (directoryCut || commandCut) continue;
        bool launchOnly = command[0] == '!';
        visit(ScriptEntry{section, directory, launchOnly ? command + 1 : command, launchOnly}, context);
    }
    closeLineReader(reader);
    return TextFileOpen::Opened;
}

void eventScriptPath(char (&out)[kPathSize]) { pathInFolder(filesDirectory, "AUTOEXEC.*", "*.CLW", out, false); }

// The monitor's own current directory never moves: each program is
// started in the entry's directory.
static void runEntry(const ScriptEntry& entry) {
    if (entry.launchOnly) platformLaunchProgram(entry.command, entry.directory);
    else platformRunProgramAndWait(entry.command, entry.directory);
}

static void runIfSelected(const ScriptEntry& entry, void* context) {
    int trigger = *static_cast<int*>(context);
    const int* sections = kTriggerSections[trigger];
    if (entry.section != sections[0] && entry.section != sections[1]) return;
    if (trigger <= kTriggerShutdown) powerEventHold = 1;
    else if (powerEventHold) return;
    runEntry(entry);
}

void runEventScript(int trigger) {
    if (trigger < 0 || trigger >= kTriggerCount) return;
    if (scriptObserver) scriptObserver(trigger);
    // The first call comes from the main window's first initialisation:
    // from then on a message box has its owner.
    showRefusedFileNotices();
    char path[kPathSize];
    eventScriptPath(path);
    TextFileOpen opened = forEachScriptEntry(path, runIfSelected, &trigger);
    if (opened == TextFileOpen::Refused) tellRefusedFile(kRefusedScript, path);
    if (opened != TextFileOpen::Opened) return;
    if (trigger > kTriggerShutdown) powerEventHold = 0;
}
