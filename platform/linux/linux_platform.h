// The Linux side of the platform seam: what the front end's event loop
// watches for the timers and the end of the session, where the program's
// files and help page are, and the few knobs of the sound player. Included
// only by platform/linux/, the Linux front end and their tests (and
// celwrd-chart, for the program's folders).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// ----- timers
//
// The timers wake the program through one file descriptor, readable when a
// timer may be due or the system clock was set (or the machine woke). The
// front end's event loop watches it and calls linuxTimersWake() each time
// it is readable; the timers' callbacks run from there, and a tick that
// falls due while its own callback still runs (a nested event loop) is
// dropped. -1 when the system gave none; no timer starts then.
int linuxTimerFd();
void linuxTimersWake();

// ----- the program's folders
//
// The program's own path as /proc/self/exe names it, byte for byte; false
// when it cannot be read or does not fit (never a path cut short).
bool linuxProgramPath(char* out, size_t size);

// Where the program keeps its settings, event script and logs, ending in
// '/': beside itself when `programFolder` (ending in '/') is the user's own,
// writable and not under /usr, as a copy unpacked by the user is; else, as
// an installed program, $XDG_CONFIG_HOME/cellwarden/ (~/.config/cellwarden/
// where that is unset), made for the user alone (0700) when missing. False
// when that folder cannot be named or made; `out` then names it all the
// same where it can.
bool linuxFilesFolder(const char* programFolder, char* out, size_t size);
// The same folder named and not made, for a program that only reads
// there (celwrd-chart); `beside` says which of the two it is.
bool linuxFilesFolderName(const char* programFolder, char* out, size_t size, bool* beside);

// The first of the program and the folders above it, up to /, that
// someone other than the user and root could write, and so put another
// program in its place (a sticky folder such as /tmp counts: it is emptied
// at boot and anyone may then make the path again), into `out`; false when
// there is none. A place that cannot be looked at counts as one.
bool linuxFindReplaceable(const char* programPath, char* out, size_t size);

// The desktop's autostart entry for the program: `on` writes
// $XDG_CONFIG_HOME/autostart/cellwarden.desktop (~/.config/autostart/ where
// that is unset) starting `programPath`, off removes it (a missing one is
// no failure). `where` receives the file's path. False when that fails,
// errno saying why: EPERM for a program others could replace
// (linuxFindReplaceable), EILSEQ for a path that is not UTF-8, which no
// desktop starts.
bool linuxSetAutostart(bool on, const char* programPath, char* where, size_t size);

// The page that stands in for the help file `helpPath` (".HLP", which
// Linux has no viewer for): the ".html" beside it, or an installed
// program's in its package's documentation (<prefix>/share/doc/cellwarden/).
// False when neither is a file or the path does not fit `size`.
bool linuxHelpPage(const char* helpPath, char* out, size_t size);

// ----- the end of the session
//
// While a waited program runs, `fd` (the read end of the front end's
// signal pipe) is watched as well: once it turns readable the wait ends,
// the program left running, and `onEnd` runs the end-of-session steps
// from inside it. `onEnd` must read the pipe empty or end the process, or
// later waits end at once. -1 watches nothing.
void linuxWatchEndOfSession(int fd, void (*onEnd)());

// ----- sound
//
// Sounds play through libcanberra's choice of driver unless a device is
// set: then through ALSA's device `name` ("null", or a "file" plugin in a
// test); an empty name gives canberra its choice back. Takes effect with
// the next sound.
void linuxSetSoundDevice(const char* name);

// What the player has done since the program started; read for tests.
struct LinuxSoundCounts {
    uint32_t requests;  // platformPlaySound calls
    uint32_t started;   // sounds and beeps handed to the sound system
    uint32_t files;     // sounds (files or theme sounds) that played to their end
    uint32_t beeps;     // beeps played to their end in place of a sound
    uint32_t cut;       // sounds cut off by a newer one
    uint32_t released;  // times the sound libraries were let go after a rest
};
LinuxSoundCounts linuxSoundCounts();

// How long the sound libraries stay loaded after the last sound has ended
// (30 s unless a test sets it); then they are unloaded until the next.
void linuxSetSoundRest(int ms);

// Returns when the player has nothing left to play.
void linuxWaitSoundIdle();
