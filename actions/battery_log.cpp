#include "actions/battery_log.h"

#include <cstring>

#include "base/front_end.h"
#include "base/text_util.h"
#include "platform/platform.h"
#include "settings/settings.h"

static LogLineObserver logLineObserver;

void setLogLineObserver(LogLineObserver observer) { logLineObserver = observer; }

static void putInRing(LogRing& ring, const char* text) {
    if (ring.writeIndex < 0 || ring.writeIndex >= kLogRingSlots) ring.writeIndex = 0;
    copyText(ring.slots[ring.writeIndex], text);
    ring.writeIndex = (ring.writeIndex + 1) % kLogRingSlots;
}

// Appends "text CR LF" in one write, so a line never arrives in halves.
static bool appendToFile(const char* path, const char* text) {
    PlatformFile* file = platformOpenFile(path, FileOpen::Append);
    if (!file) return false;
    char line[sizeof liveSettings.statusLine + 2];
    size_t length = strlen(text);
    bool written;
    if (length + 2 <= sizeof line) {
        memcpy(line, text, length);
        memcpy(line + length, "\r\n", 2);
        written = platformWriteFile(file, line, length + 2);
    } else {
        written = platformWriteFile(file, text, length) && platformWriteFile(file, "\r\n", 2);
    }
    platformCloseFile(file);
    return written;
}

void appendLogLine(const char* text) {
    ClogfileGroup& log = liveSettings.Clogfile;
    putInRing(log.logRing, text);
    frontEndRedrawLogViewer();
    const char* filePath = nullptr;
    if (log.Sneedsavelogfile && appendToFile(log.Slogfilename, text)) filePath = log.Slogfilename;
    if (logLineObserver) logLineObserver(text, filePath);
}

void logStatusLine() { appendLogLine(liveSettings.statusLine); }

static void logMarker(const char* word) {
    LocalTime t;
    platformGetLocalTime(&t);
    char text[kLogLineSize];
    formatText(text, "[%s logfile at %d/%02d/%02d %2d:%02d:%02d]", word, t.year, t.month, t.day, t.hour,
               t.minute, t.second);
    appendLogLine(text);
}

void logOpenMarker() { logMarker("Open"); }
void logCloseMarker() { logMarker("Close"); }

size_t renderLogRing(char* out, size_t size) {
    if (size == 0) return 0;
    const LogRing& ring = liveSettings.Clogfile.logRing;
    TextBuffer text = makeTextBuffer(out, size);
    int start = ring.writeIndex >= 0 && ring.writeIndex < kLogRingSlots ? ring.writeIndex : 0;
    int number = 0;
    for (int k = 0; k < kLogRingSlots; ++k) {
        const char* line = ring.slots[(start + k) % kLogRingSlots];
        if (line[0] == '\0') continue;
        appendFormatted(text, "%3d: %.127s\r\r\n", ++number, line);
    }
    return text.length;
}
