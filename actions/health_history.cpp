#include "actions/health_history.h"

#include <cstddef>
#include <cstring>

#include "base/program.h"
#include "base/text_util.h"
#include "platform/time_count.h"

// ---------------------------------------------------------------- the file

void historyFilePath(char (&out)[kPathSize]) {
    pathInFolder(filesDirectory, kHistoryFileName, kHistoryFileName, out, false);
}

HistoryOpen readHistoryFile(const char* path, HistoryReader& reader) {
    PlatformFile* file = platformOpenFile(path, FileOpen::Read);
    if (!file) return HistoryOpen::Missing;
    if (!platformIsFileTrusted(file, path)) {
        platformCloseFile(file);
        return HistoryOpen::Refused;
    }
    char chunk[4096];
    size_t got;
    for (size_t left = 64u << 20; left > 0 && (got = platformReadFile(file, chunk, sizeof chunk)) > 0;) {
        if (got > left) got = left;
        feedHistoryReader(reader, chunk, got);
        left -= got;
    }
    platformCloseFile(file);
    finishHistoryReader(reader);
    return HistoryOpen::Read;
}

// ---------------------------------------------------------------- writing

namespace {

// What the file last said of each battery: its latest line and that line's day.
struct Written {
    bool used;
    BatteryHealth battery;
    int64_t day;  // days since 1601 of the line's local date
};

constexpr int kWrittenSlots = 16;

struct HistoryState {
    bool loaded;
    bool tornTail;  // the file ends inside a line: the next line starts on a new one
    Written written[kWrittenSlots];
};

HistoryState history;
HistoryLineObserver lineObserver;
uint32_t writes;

int64_t dayOf(const LocalTime& t) {
    int64_t days;
    return dateDays(t, &days) ? days : -1;
}

Written* writtenFor(const char* name, bool make) {
    for (Written& w : history.written)
        if (w.used && strncmp(w.battery.name, name, sizeof w.battery.name) == 0) return &w;
    if (!make) return nullptr;
    for (Written& w : history.written)
        if (!w.used) return &w;
    return nullptr;
}

void noteWritten(const HealthRecord& record, void*) {
    if (Written* w = writtenFor(record.battery.name, true)) *w = Written{true, record.battery, dayOf(record.time)};
}

void load(const char* path) {
    history.loaded = true;
    HistoryReader reader;
    startHistoryReader(reader, noteWritten, nullptr);
    if (readHistoryFile(path, reader) == HistoryOpen::Read) history.tornTail = reader.any && !reader.endsInLine;
}

bool lineDue(const BatteryHealth& now, int64_t day) {
    const Written* w = writtenFor(now.name, false);
    if (!w || w->day != day || !sameBattery(w->battery, now)) return true;
    return nativeCapacity(w->battery).full != nativeCapacity(now).full || w->battery.cycles != now.cycles;
}

// Whether the file holds anything yet: a new one starts with the version line.
bool fileHasContent(const char* path) {
    PlatformFile* file = platformOpenFile(path, FileOpen::Read);
    if (!file) return false;
    char byte;
    bool content = platformReadFile(file, &byte, 1) == 1;
    platformCloseFile(file);
    return content;
}

// The line, and before it what the file needs, in one write: a line is
// never left in halves by us.
bool appendHistoryLine(const char* path, const char* line, size_t length) {
    char text[sizeof kHistoryVersionLine + 2 + kHistoryLineSize + 4];
    TextBuffer buffer = makeTextBuffer(text, sizeof text);
    bool fresh = !fileHasContent(path);
    if (history.tornTail && !fresh) appendBytes(buffer, "\r\n", 2);
    if (fresh) {
        appendBytes(buffer, kHistoryVersionLine, sizeof kHistoryVersionLine - 1);
        appendBytes(buffer, "\r\n", 2);
    }
    appendBytes(buffer, line, length);
    appendBytes(buffer, "\r\n", 2);
    PlatformFile* file = platformOpenFile(path, FileOpen::Append);
    if (!file) return false;
    bool written = platformWriteFile(file, buffer.data, buffer.length);
    written &= platformCloseFile(file);
    if (!written) return false;
    history.tornTail = false;
    ++writes;
    if (lineObserver) {
        if (fresh) lineObserver(kHistoryVersionLine);
        lineObserver(line);
    }
    return true;
}

}  // namespace

void recordHealthHistory(const HealthReading& reading, const LocalTime& now, int32_t offsetMinutes) {
    int64_t day = dayOf(now);
    char path[kPathSize];
    path[0] = '\0';
    for (int i = 0; i < reading.count && i < kMostBatteries; ++i) {
        const BatteryHealth& battery = reading.batteries[i];
        if (!reportsHealth(battery) || !battery.name[0]) continue;
        if (!path[0]) {
            historyFilePath(path);
            if (!path[0]) return;
            if (!history.loaded) load(path);
        }
        if (!lineDue(battery, day)) continue;
        char line[kHistoryLineSize];
        size_t length = formatHistoryLine(HealthRecord{now, offsetMinutes, battery}, line, sizeof line);
        // Not written (a full disk, a locked file): the next reading tries again.
        if (length == 0 || !appendHistoryLine(path, line, length)) continue;
        if (Written* w = writtenFor(battery.name, true)) *w = Written{true, battery, day};
    }
}

void resetHealthHistory() { history = HistoryState{}; }

uint32_t healthHistoryWrites() { return writes; }

void setHistoryLineObserver(HistoryLineObserver observer) { lineObserver = observer; }
