#include "platform/sim/sim_platform.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string_view>

#include "platform/sim/sim_battery_health.h"
#include "platform/time_count.h"

namespace {

using sim::Call;
using sim::CallKind;

struct Timer {
    uintptr_t id;
    uint32_t period;
    TimerCallback callback;
    int64_t nextDue;  // steady ms: the next step of its grid not yet passed
    int64_t quietFrom;  // wall ms, as armed; from >= until: every step
    int64_t quietUntil;
};

struct SimFile {
    std::string path;  // as first written
    std::string content;
};

struct State {
    // Timers run on a steady count, as the system's do; the wall clock is
    // that count plus an offset the caller may change (a clock set by hand).
    int64_t steadyMs = 0;
    int64_t wallOffsetMs = 0;
    PowerReading power{1, 8, 50};
    bool powerFails = false;
    bool suspendRefusable = true;
    std::string windowsDirectory = "C:\\WINDOWS";
    char pathSeparator = '\\';
    int codePage = 932;

    std::map<std::string, SimFile> files;
    std::set<std::string> unavailable;
    std::map<std::string, size_t> writeLimits;
    std::set<std::string> readOnly;  // files, and directories ending in a backslash
    std::set<std::string> untrusted;
    int nextTemporary = 1;
    int64_t diskSpace = -1;
    int openFiles = 0;

    std::vector<Timer> timers;
    uintptr_t nextTimerId = 1;
    bool everyStep = false;   // the reference: every step ticks, arming is ignored
    bool armingLapses = true; // each runFor starts with every timer unarmed
    int64_t wakeUps = 0;      // steady times at which a tick ran
    int64_t lastWakeUp = -1;

    std::set<std::string> directories;
    bool everyDirectoryExists = false;
    std::string currentDirectory = "C:\\";
    std::set<std::string> failingPrograms;
    std::map<std::string, int64_t> programDurations;

    std::vector<Call> calls;
    bool recording = true;
    bool stopRequested = false;
    void (*observer)(const Call&) = nullptr;
};

State state;

int64_t wallMs() { return state.steadyMs + state.wallOffsetMs; }

std::string fold(const std::string& path) {
    std::string key = path;
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

int64_t msOf(const LocalTime& t) {
    int64_t count = 0;
    toTimeCount(t, &count);
    return count / 10000;
}

// The wall clock; read ten times a second, so within one second only the
// milliseconds are worked out again.
void readWallTime(LocalTime* out) {
    static int64_t cachedSecondMs = INT64_MIN / 2;
    static LocalTime cached;
    int64_t ms = wallMs();
    uint64_t intoSecond = static_cast<uint64_t>(ms - cachedSecondMs);
    if (intoSecond >= 1000) {
        cachedSecondMs = ms - ms % 1000;
        cached = fromTimeCount(cachedSecondMs * 10000);
        intoSecond = static_cast<uint64_t>(ms - cachedSecondMs);
    }
    *out = cached;
    out->milliseconds = static_cast<uint16_t>(intoSecond);
}


// Builds nothing when nobody looks, so a quiet run allocates nothing here;
// an observer alone is shown one record whose texts keep their buffers.
void recordCall(CallKind kind, std::string_view text = {}, std::string_view text2 = {}, int64_t number = 0) {
    if (!state.recording && !state.observer) return;
    static Call shown;
    Call& call = state.recording ? state.calls.emplace_back() : shown;
    call.kind = kind;
    readWallTime(&call.at);
    call.text.assign(text);
    call.text2.assign(text2);
    call.number = number;
    if (state.observer) state.observer(call);
}

// `key` is folded already.
bool isReadOnly(const std::string& key) {
    if (state.readOnly.count(key)) return true;
    size_t slash = key.rfind('\\');
    return slash != std::string::npos && state.readOnly.count(key.substr(0, slash + 1));
}

}  // namespace

struct PlatformFile {
    std::string key;
    FileOpen mode;
    size_t position;
    bool failed;
};

// ---------------------------------------------------------------- platform

void platformGetLocalTime(LocalTime* out) { readWallTime(out); }

bool platformGetPowerStatus(PowerReading* out) {
    recordCall(sim::CallKind::PowerQuery);
    if (state.powerFails) return false;
    *out = state.power;
    return true;
}

bool platformCanRefuseSuspend() { return state.suspendRefusable; }

char platformPathSeparator() { return state.pathSeparator; }

// The simulated machine is a Windows one.
const PlatformDefaults& platformDefaults() {
    static const PlatformDefaults windows{0, {}};
    return windows;
}

void platformGetWindowsDirectory(char* out, size_t size) {
    if (size == 0) return;
    size_t length = std::min(state.windowsDirectory.size(), size - 1);
    memcpy(out, state.windowsDirectory.data(), length);
    out[length] = '\0';
}

bool platformIsLeadByte(unsigned char byte) {
    return state.codePage == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

PlatformFile* platformOpenFile(const char* path, FileOpen mode) {
    std::string key = fold(path ? path : "");
    if (key.empty() || state.unavailable.count(key)) return nullptr;
    auto found = state.files.find(key);
    if (mode == FileOpen::Read && found == state.files.end()) return nullptr;
    if (mode != FileOpen::Read && isReadOnly(key)) return nullptr;
    SimFile& file = state.files[key];
    if (file.path.empty()) file.path = path;
    if (mode == FileOpen::Create) file.content.clear();
    ++state.openFiles;
    return new PlatformFile{key, mode, 0, false};
}

size_t platformReadFile(PlatformFile* file, char* buf, size_t size) {
    const std::string& content = state.files[file->key].content;
    size_t n = std::min(size, content.size() - std::min(content.size(), file->position));
    memcpy(buf, content.data() + file->position, n);
    file->position += n;
    return n;
}

bool platformWriteFile(PlatformFile* file, const char* data, size_t size) {
    if (file->mode == FileOpen::Read) return false;
    SimFile& target = state.files[file->key];
    size_t room = size;
    auto limit = state.writeLimits.find(file->key);
    if (limit != state.writeLimits.end()) {
        size_t left = limit->second > target.content.size() ? limit->second - target.content.size() : 0;
        room = std::min(size, left);
    }
    // A full disk refuses a write whole, as NTFS does when it cannot
    // allocate the clusters for it.
    if (state.diskSpace >= 0 && room > static_cast<uint64_t>(state.diskSpace)) room = 0;
    if (state.diskSpace >= 0) state.diskSpace -= static_cast<int64_t>(room);
    target.content.append(data, room);
    recordCall(sim::CallKind::WriteFile, target.path, std::string(data, room));
    if (room < size) file->failed = true;
    return room == size;
}

bool platformCloseFile(PlatformFile* file) {
    bool ok = !file->failed;
    --state.openFiles;
    delete file;
    return ok;
}

bool platformReplaceFile(const char* source, const char* target) {
    std::string from = fold(source), to = fold(target);
    auto found = state.files.find(from);
    if (found == state.files.end() || state.unavailable.count(to) || isReadOnly(to) || isReadOnly(from))
        return false;
    SimFile moved{target, found->second.content};
    state.files.erase(found);
    state.files[to] = moved;
    recordCall(sim::CallKind::ReplaceFile, target, source);
    return true;
}

void platformDeleteFile(const char* path) {
    std::string key = fold(path);
    if (!isReadOnly(key)) state.files.erase(key);
}

bool platformIsFileTrusted(PlatformFile* file, const char* path) {
    return file && path && !state.untrusted.count(fold(path));
}

bool platformSaveTarget(const char* path, char* out, size_t size) {
    size_t length = path ? strlen(path) : 0;
    if (length == 0 || length >= size) return false;
    memcpy(out, path, length + 1);
    return true;
}

// Numbered rather than random, so that a test can name the next one.
PlatformFile* platformCreateTemporaryFile(const char* target, char* name, size_t size) {
    std::string directory(target ? target : "");
    size_t slash = directory.find_last_of("\\/:");
    directory.erase(slash == std::string::npos ? 0 : slash + 1);
    std::string path;
    do path = directory + "~cw" + std::to_string(100000 + state.nextTemporary++);
    while (state.files.count(fold(path)));
    if (path.size() >= size) return nullptr;
    memcpy(name, path.c_str(), path.size() + 1);
    return platformOpenFile(name, FileOpen::Create);
}

PlatformFile* platformLockFile(const char* path, bool) {
    if (!path || !*path) return nullptr;
    ++state.openFiles;
    return new PlatformFile{fold(path), FileOpen::Read, 0, false};
}

void platformUnlockFile(PlatformFile* lock) {
    if (!lock) return;
    --state.openFiles;
    delete lock;
}

void platformLogProblem(const char* text) { recordCall(sim::CallKind::LogProblem, text ? text : ""); }

uintptr_t platformStartTimer(uint32_t periodMs, TimerCallback callback) {
    uintptr_t id = state.nextTimerId++;
    state.timers.push_back(Timer{id, periodMs, callback, state.steadyMs + std::max<int64_t>(periodMs, 1), 0, 0});
    recordCall(sim::CallKind::StartTimer, {}, {}, static_cast<int64_t>(id));
    return id;
}

void platformStopTimer(uintptr_t id) {
    auto& timers = state.timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(), [id](const Timer& t) { return t.id == id; }),
                 timers.end());
    recordCall(sim::CallKind::StopTimer, {}, {}, static_cast<int64_t>(id));
}

void platformArmTimer(uintptr_t id, int64_t quietFrom, int64_t quietUntil) {
    for (Timer& t : state.timers) {
        if (t.id != id) continue;
        t.quietFrom = quietFrom;
        t.quietUntil = quietUntil;
    }
}

void platformPlaySound(const char* file) { recordCall(sim::CallKind::PlaySound, file); }

namespace {

// Where a program starts: its directory when that exists, else ours.
std::string_view startDirectory(const char* dir) {
    if (!dir || !*dir || (!state.everyDirectoryExists && !state.directories.count(fold(dir))))
        return state.currentDirectory;
    return dir;
}

}  // namespace

void platformLaunchProgram(const char* commandLine, const char* directory) {
    recordCall(sim::CallKind::Launch, commandLine, startDirectory(directory));
}

bool platformRunProgramAndWait(const char* commandLine, const char* directory) {
    recordCall(sim::CallKind::RunAndWait, commandLine, startDirectory(directory));
    if (state.failingPrograms.count(commandLine)) return false;
    auto duration = state.programDurations.find(commandLine);
    if (duration != state.programDurations.end()) state.steadyMs += duration->second;
    return true;
}

// ---------------------------------------------------------------- control

namespace sim {

void reset() {
    state = State{};
    resetBatteryHealth();
    detail::anyoneLooks = true;
    setClock(2026, 1, 5, 9, 0, 0);
}

namespace detail {

bool anyoneLooks = true;

void recordNow(CallKind kind, std::string_view text, std::string_view text2, int64_t number) {
    recordCall(kind, text, text2, number);
}

}  // namespace detail

void setClock(const LocalTime& t) { state.wallOffsetMs = msOf(t) - state.steadyMs; }

void setClock(int year, int month, int day, int hour, int minute, int second, int ms) {
    LocalTime t{static_cast<uint16_t>(year), static_cast<uint16_t>(month), 0, static_cast<uint16_t>(day),
                static_cast<uint16_t>(hour), static_cast<uint16_t>(minute), static_cast<uint16_t>(second),
                static_cast<uint16_t>(ms)};
    setClock(t);
}

LocalTime clock() { return fromTimeCount(wallMs() * 10000); }

void shiftClock(int64_t ms) { state.wallOffsetMs += ms; }

void stall(int64_t ms) { state.steadyMs += ms; }

}  // namespace sim

namespace {

int64_t periodOf(const Timer& t) { return std::max<int64_t>(t.period, 1); }

bool isQuietAt(const Timer& t, int64_t steady) {
    if (state.everyStep) return false;
    int64_t wall = steady + state.wallOffsetMs;
    return t.quietFrom < wall && wall < t.quietUntil;
}

// The first step from nextDue on at which the timer ticks (steady ms),
// INT64_MAX when none. Between two calls of runFor the wall clock moves
// with the steady one, so the first step at or past quietUntil.
int64_t tickingStep(const Timer& t) {
    if (!isQuietAt(t, t.nextDue)) return t.nextDue;
    if (t.quietUntil == INT64_MAX) return INT64_MAX;
    int64_t ahead = t.quietUntil - (t.nextDue + state.wallOffsetMs);
    int64_t steps = ahead / periodOf(t) + (ahead % periodOf(t) != 0);
    if (steps > (INT64_MAX - t.nextDue) / periodOf(t)) return INT64_MAX;
    return t.nextDue + steps * periodOf(t);
}

// The grid of a timer whose steps up to `limit` were quiet, moved to its
// first step past `limit` (or at it, `inclusive` false).
void passQuietSteps(Timer& t, int64_t limit, bool inclusive) {
    if (t.nextDue > limit || (t.nextDue == limit && !inclusive)) return;
    int64_t steps = (limit - t.nextDue) / periodOf(t) + 1;
    if (!inclusive && (limit - t.nextDue) % periodOf(t) == 0) --steps;
    t.nextDue += steps * periodOf(t);
}

// After a tick at `due` that ran until now: the next step, or, when the
// thread was held past it, a step from now on (the ones missed coalesce).
void stepAfterTick(Timer& t, int64_t due) {
    t.nextDue = due + periodOf(t);
    if (t.nextDue <= state.steadyMs) t.nextDue = state.steadyMs + periodOf(t);
}

// The timer that ticks next, up to `until`, and the steady time it ticks
// at. Steps the thread was held past (before now) come first, in the order
// they fell due; then ticking steps in time order, ties to the older timer.
Timer* nextTick(int64_t until, int64_t* at) {
    Timer* next = nullptr;
    int64_t best = INT64_MAX;
    for (Timer& t : state.timers) {
        int64_t step = t.nextDue < state.steadyMs ? t.nextDue : tickingStep(t);
        if (step <= until && step < best) next = &t, best = step;
    }
    *at = best;
    return next;
}

}  // namespace

namespace sim {

void stopRunning() { state.stopRequested = true; }

void runFor(int64_t ms) {
    const int64_t until = state.steadyMs + ms;
    state.stopRequested = false;
    if (state.armingLapses)
        for (Timer& t : state.timers) t.quietFrom = t.quietUntil = 0;
    int64_t at;
    while (Timer* timer = nextTick(until, &at)) {
        Timer& t = *timer;
        if (at < state.steadyMs) {
            // Held past: the missed steps coalesce into one tick now, which
            // may still find nothing due.
            if (isQuietAt(t, state.steadyMs)) {
                stepAfterTick(t, at);
                continue;
            }
        } else {
            // The other timers' steps before this one were quiet; an older
            // timer's step at the same time came first.
            for (Timer& other : state.timers)
                if (&other != &t) passQuietSteps(other, at, &other < &t);
            state.steadyMs = at;
        }
        uintptr_t id = t.id;
        TimerCallback callback = t.callback;
        if (state.lastWakeUp != state.steadyMs) ++state.wakeUps;
        state.lastWakeUp = state.steadyMs;
        callback();
        // The callback may have stopped or started timers.
        for (Timer& after : state.timers)
            if (after.id == id) stepAfterTick(after, at);
        if (state.stopRequested) return;
    }
    // Every step up to `until` has been seen.
    for (Timer& t : state.timers)
        if (t.nextDue >= state.steadyMs) passQuietSteps(t, until, true);
    state.steadyMs = std::max(state.steadyMs, until);
}

void setEveryStep(bool every) { state.everyStep = every; }
void setArmingLapses(bool lapses) { state.armingLapses = lapses; }
int64_t timerWakeUps() { return state.wakeUps; }

void setPower(uint8_t acLineStatus, uint8_t batteryFlag, uint8_t percent) {
    state.power = PowerReading{acLineStatus, batteryFlag, percent};
}

void setPowerQueryFails(bool fails) { state.powerFails = fails; }
void setSuspendRefusable(bool refusable) { state.suspendRefusable = refusable; }

void setWindowsDirectory(const std::string& dir) { state.windowsDirectory = dir; }
void setPathSeparator(char separator) { state.pathSeparator = separator; }
void setCodePage(int codePage) { state.codePage = codePage; }

void putFile(const std::string& path, const std::string& content) {
    state.files[fold(path)] = SimFile{path, content};
}

bool fileExists(const std::string& path) { return state.files.count(fold(path)) != 0; }

std::string fileContent(const std::string& path) {
    auto found = state.files.find(fold(path));
    return found == state.files.end() ? std::string() : found->second.content;
}

std::vector<std::string> filePaths() {
    std::vector<std::string> paths;
    for (const auto& entry : state.files) paths.push_back(entry.second.path);
    return paths;
}

void setFileUnavailable(const std::string& path, bool unavailable) {
    if (unavailable) state.unavailable.insert(fold(path));
    else state.unavailable.erase(fold(path));
}

void setFileWriteLimit(const std::string& path, size_t bytes) { state.writeLimits[fold(path)] = bytes; }

void setReadOnly(const std::string& pathOrDirectory, bool readOnly) {
    if (readOnly) state.readOnly.insert(fold(pathOrDirectory));
    else state.readOnly.erase(fold(pathOrDirectory));
}

void setDiskSpace(int64_t bytes) { state.diskSpace = bytes; }

void setFileTrusted(const std::string& path, bool trusted) {
    if (trusted) state.untrusted.erase(fold(path));
    else state.untrusted.insert(fold(path));
}

int openFileCount() { return state.openFiles; }

void addDirectory(const std::string& dir) { state.directories.insert(fold(dir)); }
std::string currentDirectory() { return state.currentDirectory; }
void setEveryDirectoryExists(bool value) { state.everyDirectoryExists = value; }

void setProgramFails(const std::string& commandLine, bool fails) {
    if (fails) state.failingPrograms.insert(commandLine);
    else state.failingPrograms.erase(commandLine);
}

void setProgramDuration(const std::string& commandLine, int64_t ms) {
    state.programDurations[commandLine] = ms;
}

int timerCount() { return static_cast<int>(state.timers.size()); }

const std::vector<Call>& calls() { return state.calls; }

std::vector<Call> callsOf(CallKind kind) {
    std::vector<Call> matching;
    for (const Call& call : state.calls)
        if (call.kind == kind) matching.push_back(call);
    return matching;
}

void clearCalls() { state.calls.clear(); }
void setRecording(bool on) {
    state.recording = on;
    detail::anyoneLooks = state.recording || state.observer;
}

void setCallObserver(void (*observer)(const Call& call)) {
    state.observer = observer;
    detail::anyoneLooks = state.recording || state.observer;
}

}  // namespace sim
