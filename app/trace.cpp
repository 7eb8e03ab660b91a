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

void traceActivate(uint64_t wParam, uint64_t lParam) {
    if (!traceEnabled || !traceFile) return;
    char line[32];
    size_t length = formatText(line, "ACTIVATE %08X %08X\n", static_cast<unsigned>(wParam & 0xFFFFFFFFu),
                               static_cast<unsigned>(lParam & 0xFFFFFFFFu));
    platformWriteFile(traceFile, line, length);
}

void closeTraceFile() {
    if (traceFile) platformCloseFile(traceFile);
    traceFile = nullptr;
}
