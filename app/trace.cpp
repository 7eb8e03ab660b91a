#include "app/trace.h"

#include "base/program.h"
#include "base/text_util.h"
#include "platform/platform.h"

static PlatformFile* traceFile;

void openTraceFile() {
    if (!traceEnabled || traceFile) return;
    char path[kPathSize];
    pathInFolder(filesDirectory, "CELWRDDB.LOG", nullptr, path, true);
    traceFile = platformOpenFile(path, FileOpen::Create);
}

void traceActivate(int state, bool minimised, uint64_t otherWindow) {
    if (!traceEnabled || !traceFile) return;
    char line[32];
    const unsigned word = (minimised ? 0x10000u : 0u) | (static_cast<unsigned>(state) & 0xFFFFu);
    size_t length = formatText(line, "ACTIVATE %08X %08X\n", word, static_cast<unsigned>(otherWindow & 0xFFFFFFFFu));
    platformWriteFile(traceFile, line, length);
}

void closeTraceFile() {
    if (traceFile) platformCloseFile(traceFile);
    traceFile = nullptr;
}
