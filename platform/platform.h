// The few operations the portable core asks of the operating system.
//
// Each group below is defined by every platform layer: platform/win32/ and
// platform/linux/ for the real programs, platform/sim/ for the tests and
// the replay tool. The core never includes a system header for any of
// this; it calls these functions and nothing else. Nothing here shows
// anything: what the core asks of the screen is base/front_end.h.
// Everything is called on the one user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------- clock
//
// Local wall-clock time in the layout of the system's SYSTEMTIME: eight
// unsigned 16-bit fields. A year of 0 means "no time recorded yet".
struct LocalTime {
    uint16_t year;
    uint16_t month;
    uint16_t dayOfWeek;  // 0 Sunday .. 6 Saturday
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint16_t milliseconds;
};

// The local time now. Never fails; the result is always a valid date.
void platformGetLocalTime(LocalTime* out);

// ---------------------------------------------------------------- power
//
// The three bytes of the system power status that the monitor reads, as the
// system reports them: ACLineStatus (0 offline, 1 online, 255 unknown),
// BatteryFlag (bit 3 = charging, 128 no battery, 255 unknown) and
// BatteryLifePercent (0..100, 255 unknown).
struct PowerReading {
    uint8_t acLineStatus;
    uint8_t batteryFlag;
    uint8_t batteryLifePercent;
};

// Fills *out and returns true; returns false, leaving *out alone, when the
// system could not say.
bool platformGetPowerStatus(PowerReading* out);

// Whether a program may refuse a suspend the system is about to make:
// Windows asks the programs first, Linux (logind) only tells them.
bool platformCanRefuseSuspend();

// ---------------------------------------------------------------- system
//
// The Windows directory as the system reports it (no separator is added).
// Always zero-terminated, cut to fit `size`.
void platformGetWindowsDirectory(char* out, size_t size);

// The separator the system writes between directories ('\\' on Windows,
// '/' on Linux); either is read as one.
char platformPathSeparator();

// Whether `byte` starts a two-byte character in the system's 8-bit code
// page (Shift-JIS on a Japanese system). Path scans skip the byte after a
// lead byte so that a trail byte of 0x5C is not taken for a backslash.
bool platformIsLeadByte(unsigned char byte);

// Defaults that follow the system, where its users expect others than
// Windows': whether the tray icon is on (many Linux desktops have no
// taskbar), and the sound of each alert, in the order AC, AC&Batt, Charge,
// Discharge, Full, Low (null: the sound in the Windows directory).
struct PlatformDefaults {
    int32_t showTrayIcon;
    const char* sounds[6];
};
const PlatformDefaults& platformDefaults();

// ---------------------------------------------------------------- files
//
// Files are opened for one operation and closed at once. Paths are bytes in
// the system code page. Reads and writes are binary: the core produces and
// accepts the CR LF line ends itself, so files are the same everywhere.
struct PlatformFile;

enum class FileOpen {
    Read,    // existing file, reading from its start
    Create,  // create or truncate, writing
    Append,  // create when missing, every write goes to the end
};

// Null when the file cannot be opened (missing, locked, no permission,
// invalid name); nothing is reported. Read opens only a regular file, and
// never waits on what is not one; Create and Append never go through a
// link that someone else made.
PlatformFile* platformOpenFile(const char* path, FileOpen mode);

// Up to `size` bytes into buf; returns the count, 0 at the end or on error.
size_t platformReadFile(PlatformFile* file, char* buf, size_t size);

// Returns false when not every byte was written.
bool platformWriteFile(PlatformFile* file, const char* data, size_t size);

// Closes the file. For a file opened with Create it first makes sure the
// data is on the disk; returns false when that or any earlier write failed.
bool platformCloseFile(PlatformFile* file);

// Puts `source` in the place of `target` in one step, replacing an existing
// target, and returns only when the rename is on the disk. On failure
// nothing changes and false is returned; a read-only target is a failure.
bool platformReplaceFile(const char* source, const char* target);

// Removes a file; a missing file is not an error.
void platformDeleteFile(const char* path);

// Whether what a file opened for reading says may be acted on: it belongs to
// the user running the program or to the system's administrator (root; on
// Windows the Administrators or SYSTEM), and so does a link at `path`, and
// no one else may write the file or its directory: on Linux neither can be
// written by group (unless the group is the owner's own) or others, nor by a
// user or group their ACLs name; on Windows neither may be owned by anyone
// else, nor give anyone but the owner, the user, the Administrators, SYSTEM
// or TrustedInstaller a right to write, append, delete what a folder holds,
// or change the permissions or the owner. A file system that records no
// owners (FAT, exFAT) is not held against the file.
bool platformIsFileTrusted(PlatformFile* file, const char* path);

// Where a save of `path` goes so that the file stays what it is: the file
// that a link at `path` names, or `path` itself. False when `path` is a link
// that someone else made (never followed for writing) or the name does not
// fit `size`.
bool platformSaveTarget(const char* path, char* out, size_t size);

// A new, empty file in the directory of `target`, opened for writing as
// Create does, under a name that no file there had: created exclusively,
// never through a link. It takes the mode of an existing `target`. Its name
// goes to `name`; null when none could be made.
PlatformFile* platformCreateTemporaryFile(const char* target, char* name, size_t size);

// An advisory lock between processes on the file `path` (made by a writer
// when missing, never through a link): shared among readers, held alone by
// a writer. Waits a few seconds at most for another holder; null when the
// lock cannot be had (for a reader also when there is no lock file yet),
// and the caller goes on without it.
PlatformFile* platformLockFile(const char* path, bool exclusive);

// Releases a lock and closes its file; null is no lock.
void platformUnlockFile(PlatformFile* lock);

// One line for whoever watches the program run (standard error on Linux,
// the debugger's output on Windows). The text is in the system code page.
void platformLogProblem(const char* text);

// ---------------------------------------------------------------- timers
//
// Thread timers without a window, each ticking on a grid of `periodMs`
// steps from the moment it was started. The callback runs from the
// user-interface thread's message dispatching; due ticks coalesce while the
// thread is busy, as the system's timers do. A new timer ticks at every
// step until it is armed.
using TimerCallback = void (*)();

// Returns the timer's identifier, never 0; 0 when no timer could be made.
uintptr_t platformStartTimer(uint32_t periodMs, TimerCallback callback);
void platformStopTimer(uintptr_t id);

// Skips the steps at which the local time, in milliseconds since 1601
// (toMsCount), lies strictly between `quietFrom` and `quietUntil`, so the
// program wakes only at the first step outside, also when the clock is
// set meanwhile. Holds until the timer is armed again; `quietFrom` at or
// after `quietUntil` ticks at every step. A tick that arrives before its
// step is not handed on.
void platformArmTimer(uintptr_t id, int64_t quietFrom, int64_t quietUntil);

// ---------------------------------------------------------------- sound
//
// Starts playing a WAV file and returns at once. A sound still playing is
// cut off; a file that cannot be played gives the system's default sound.
// Where the desktop has a sound theme, a name without a directory may also
// name one of its sounds ("power-plug").
void platformPlaySound(const char* file);

// ---------------------------------------------------------------- programs
//
// Each program starts in `directory` (relative to the monitor's current
// directory); where that cannot be entered (missing, not a directory, null
// or empty) it starts in the monitor's current directory. The monitor's
// own current directory never changes.

// Starts a command line and does not wait; failures are ignored.
void platformLaunchProgram(const char* commandLine, const char* directory);

// Starts a command line and returns when its program has ended; returns
// false, at once, when it could not be started. Nothing is handled
// meanwhile but the end of the session: the end-of-session steps the front
// end gave the platform layer run from inside the wait, leaving the
// program running.
bool platformRunProgramAndWait(const char* commandLine, const char* directory);
