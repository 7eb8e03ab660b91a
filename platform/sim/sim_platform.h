// A simulated platform for the tests and the replay tool: a clock and a
// battery the caller drives by hand, files in memory, timers that fire as
// the caller advances the clock, and a record of every call the core made,
// to the simulated screen (ui/sim) as well.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace sim {

enum class CallKind {
    // The operating system.
    PowerQuery,
    PlaySound,        // text: file
    StartTimer,       // number: id
    StopTimer,        // number: id
    Launch,           // text: command, text2: current directory
    RunAndWait,       // text: command, text2: current directory
    WriteFile,        // text: path, text2: bytes written (Create and Append files)
    ReplaceFile,      // text: target, text2: source
    LogProblem,       // text
    // The screen (ui/sim/sim_front_end.h).
    SetCaption,       // text
    SetClassIcon,     // number: icon
    TrayAdd,          // number: icon, text: tip
    TrayModify,       // number: icon, text: tip
    TrayDelete,
    HideWindow,
    AskYesNo,         // text: question, text2: caption
    ShowMessage,      // text: message, text2: caption
    OpenHelp,         // text: path
    RedrawLogViewer,
    EndMainDialog,
};

struct Call {
    CallKind kind;
    LocalTime at;
    std::string text;
    std::string text2;
    int64_t number;
};

// Everything back to its starting state: clock 2026-01-05 (a Monday)
// 09:00:00.000, power 1/8/50 (charging at 50 %), no files, no timers,
// Windows directory C:\WINDOWS, code page 932, nothing recorded.
void reset();

// ----- clock
void setClock(const LocalTime& t);
void setClock(int year, int month, int day, int hour, int minute, int second, int ms = 0);
LocalTime clock();
// Sets the wall clock forward or back by hand; timers are not affected.
void shiftClock(int64_t ms);
// Time passes without any timer firing (the thread was busy); due ticks
// coalesce into one.
void stall(int64_t ms);
// Advances the clock to `ms` from now, firing every timer that falls due on
// the way, at its due time, in time order (ties: the older timer first).
void runFor(int64_t ms);
// Makes the running runFor return once the current callback has returned
// (the program ended while a tick ran).
void stopRunning();
// On: every timer ticks at every step of its grid and arming is ignored,
// the reference the armed timers are held to. Off at the start.
void setEveryStep(bool every);
// On (the start): each runFor begins with every timer unarmed, ticking at
// every step until the program arms it again, since the caller may have
// changed the program's records by hand. Off: the arming holds, as on a
// real system.
void setArmingLapses(bool lapses);
// The steady times at which a timer ticked (ticks at one time count once).
int64_t timerWakeUps();

// ----- power
void setPower(uint8_t acLineStatus, uint8_t batteryFlag, uint8_t percent);
void setPowerQueryFails(bool fails);
// Off: the system only tells of a suspend, as Linux does (on at the start).
void setSuspendRefusable(bool refusable);

// ----- system
void setWindowsDirectory(const std::string& dir);
// What the paths are joined with: '\\' (the default) or '/'.
void setPathSeparator(char separator);
void setCodePage(int codePage);  // 932 Shift-JIS lead bytes, anything else none

// ----- files (paths compared without regard to ASCII case, as on Windows)
void putFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);
std::string fileContent(const std::string& path);
std::vector<std::string> filePaths();
// Opens of this path fail (locked, no permission, missing directory).
void setFileUnavailable(const std::string& path, bool unavailable);
// Writes to this path fail after `bytes` bytes (a full disk).
void setFileWriteLimit(const std::string& path, size_t bytes);
// Read-only: the file opens for reading only, and cannot be replaced or
// removed. A path ending in a backslash makes a directory read-only: no
// file in it can be created, replaced or removed.
void setReadOnly(const std::string& pathOrDirectory, bool readOnly);
// The bytes that all writes together may still add; a write that does not
// fit fails whole, as on a full disk. Negative: no limit (the start).
void setDiskSpace(int64_t bytes);
// Someone else could have written the file (another user's, or in a folder
// others may write to): platformIsFileTrusted says no.
void setFileTrusted(const std::string& path, bool trusted);
// Locks included.
int openFileCount();

// ----- programs
void addDirectory(const std::string& dir);  // programs can start in these
void setEveryDirectoryExists(bool value);
std::string currentDirectory();  // the monitor's own, which never changes
void setProgramFails(const std::string& commandLine, bool fails);
// A waited program takes this long: time passes while the core waits.
void setProgramDuration(const std::string& commandLine, int64_t ms);

int timerCount();

// ----- the record of calls
namespace detail {
extern bool anyoneLooks;  // recording, or an observer set
void recordNow(CallKind kind, std::string_view text, std::string_view text2, int64_t number);
}  // namespace detail

// Adds a call, at the simulated time (the screen's calls come this way);
// nothing is built when nobody looks.
inline void record(CallKind kind, std::string_view text = {}, std::string_view text2 = {}, int64_t number = 0) {
    if (detail::anyoneLooks) detail::recordNow(kind, text, text2, number);
}
const std::vector<Call>& calls();
std::vector<Call> callsOf(CallKind kind);
void clearCalls();
// Off: calls go only to the observer, nothing is kept (long replays).
void setRecording(bool on);
// Called on every recorded call, as it happens (the replay tool prints them).
void setCallObserver(void (*observer)(const Call& call));

}  // namespace sim
