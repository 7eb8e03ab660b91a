// Suspend, resume and shutdown as systemd-logind tells them on the system
// bus: a delay inhibitor lock holds the machine back while the steps run.
#pragma once

// What runs on each of logind's notices. A null hook is skipped.
struct LogindHooks {
    void (*suspending)();    // the machine is about to sleep: run the suspend steps
    void (*resumed)();       // it woke up: run the resume steps
    void (*shuttingDown)();  // the machine is powering off or rebooting: the end-of-session steps
};

// Connects to org.freedesktop.login1 on the system bus (DBUS_SYSTEM_BUS_ADDRESS
// when set), takes a delay inhibitor lock on "sleep:shutdown" and listens for
// PrepareForSleep and PrepareForShutdown:
//   PrepareForSleep(true)     suspending, then the lock goes (the sleep goes on);
//                             once only until a PrepareForSleep(false)
//   PrepareForSleep(false)    resumed, then the lock is taken again
//   PrepareForShutdown(true)  shuttingDown, then the lock goes; once only
//   PrepareForShutdown(false) a cancelled shutdown: the lock is taken again
// logind going away or restarting (its name changing owner) while asleep is
// the resume too, as is the bus closing: no PrepareForSleep(false) can come
// then. A logind that comes back gives the lock again; after the bus closed
// the watch tries it again, first after a second, then less often.
// Each call to the bus waits a few seconds at most.
// False when there is no QCoreApplication, no system bus or no logind on it:
// then it says so on standard error in one line and nothing else happens.
// True when the signals are watched, even if logind refused the lock (also
// one line on standard error; logindLockHeld() tells). The signals arrive
// through the running QCoreApplication event loop. Starting again while
// watching changes only the hooks.
bool startLogindWatch(const LogindHooks& hooks);

// Releases the lock, stops listening (and trying again) and closes the
// connection. Harmless when not watching.
void stopLogindWatch();

// Whether this process holds the inhibitor lock now.
bool logindLockHeld();
