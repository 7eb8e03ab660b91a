// The batteries' health over the years: CELWRDHL.LOG beside the settings
// file, appended and never rewritten. A version line first, then one line
// per battery per day and one at once when its full capacity, cycle count
// or identity changes; each line tab-separated key=value pairs:
//
//   time        local time with its offset, 2026-12-08T14:05:09+09:00
//   bat         the system's name of the battery (BAT0)
//   maker model serial tech              texts (UTF-8)
//   design_mwh full_mwh design_mah full_mah design_rel full_rel cycles mv mw
//                                        integers, each only where known
//
// Readers skip keys they do not know, lines without a time or battery,
// and a last line without its line end (torn by a crash). Written only
// when a battery tells its health: a machine without one gets no file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/paths.h"
#include "platform/battery_health.h"
#include "platform/platform.h"

constexpr char kHistoryFileName[] = "CELWRDHL.LOG";
constexpr char kHistoryVersionLine[] = "#cellwarden-health\tversion=1";
constexpr size_t kHistoryLineSize = 1024;

struct HealthRecord {
    LocalTime time;  // local
    int32_t offsetMinutes;  // of the local time, east of universal time
    BatteryHealth battery;
};

// The line of `record` without its line end; returns its length, 0 when it
// does not fit `size` (it always fits kHistoryLineSize).
size_t formatHistoryLine(const HealthRecord& record, char* out, size_t size);

// One line of the file without its line end; false for the version line,
// comments and lines without a valid time or battery name.
bool parseHistoryLine(const char* line, size_t length, HealthRecord* out);

// The record's moment in seconds of universal time since 1601.
int64_t recordUtcSeconds(const HealthRecord& record);

// The file read in pieces as they come, each line handed to `sink` as a
// record once its line end is seen.
using HealthRecordSink = void (*)(const HealthRecord& record, void* context);

struct HistoryReader {
    HealthRecordSink sink;
    void* context;
    char line[kHistoryLineSize];
    size_t length;
    bool overlong;      // the line grew past the buffer: skipped whole
    int64_t records;
    int64_t skipped;    // lines that were not records (the version line too)
    bool any;           // a byte was read
    bool endsInLine;    // the last byte read ended a line
};

void startHistoryReader(HistoryReader& reader, HealthRecordSink sink, void* context);
void feedHistoryReader(HistoryReader& reader, const char* data, size_t size);
// A last line without its line end is torn: skipped.
void finishHistoryReader(HistoryReader& reader);

// filesDirectory followed by CELWRDHL.LOG; empty when it does not fit.
void historyFilePath(char (&out)[kPathSize]);

enum class HistoryOpen { Read, Missing, Refused };

// Reads the file at `path` through `reader` (started by the caller), when
// it may be believed (see platformIsFileTrusted); at most the first 64 MiB.
HistoryOpen readHistoryFile(const char* path, HistoryReader& reader);

// Writes the lines that `reading`, taken at `now`, calls for. The first
// call of a run reads the file to learn what its last lines said.
void recordHealthHistory(const HealthReading& reading, const LocalTime& now, int32_t offsetMinutes);

// Grows by one with each line written: a reader of the file compares it to
// read again.
uint32_t healthHistoryWrites();

// Forgets what was written (a new run).
void resetHealthHistory();

// Told of every line written, without its line end. For the replay tool.
using HistoryLineObserver = void (*)(const char* line);
void setHistoryLineObserver(HistoryLineObserver observer);

// The capacity a battery counts in: mAh where it counts charge, else mWh,
// else its own units; kHealthUnknown and -1 when it gives none.
struct NativeCapacity {
    int64_t design, full;
    int unit;  // 0 mAh, 1 mWh, 2 relative, -1 none
};
NativeCapacity nativeCapacity(const BatteryHealth& battery);

// The same battery: name, texts and design capacity alike.
bool sameBattery(const BatteryHealth& a, const BatteryHealth& b);
