// One program per user, and one per folder of files. The first start
// holds an advisory lock for its whole life and listens on a local socket
// beside the lock; a later start finds the lock taken, asks the first to
// bring its window forward and ends. Both live in $XDG_RUNTIME_DIR when
// that is the user's own private directory, else in /run/user/<uid>, else
// in ~/.cache/cellwarden-<host> of the user's home as the password
// database gives it: places no other user can make first. A place whose
// path leaves no room for a socket's is passed over for the next.
#pragma once

// True when this process is the first: it now holds the lock for the rest
// of its life and `raise` (may be null) is called on the event loop
// whenever a later start asks. False when another process holds the lock:
// the caller then calls askFirstToRaise() and ends, with exit code 0 when
// the first answered, else saying so on standard error.
// Also true, holding nothing, when no private directory can be had (one
// planted by another user, say): a start is never refused for that.
// Call on the thread of the QCoreApplication, after it is made; calling
// again in the first process only changes `raise`.
bool becomeFirstInstance(void (*raise)());

// One program per folder as well, whatever the user or the runtime
// directory: a lock on CELWRD.RUN in `folder` (ending in '/'), held for the
// process's life. False when another process holds it: the caller then
// behaves as a later start. True, holding nothing, when the file cannot be
// had (a read-only folder, a name planted by someone else), said once on
// standard error: a start is never refused for that.
bool holdFolderLock(const char* folder);

// Asks the process holding the lock to call its `raise`; waits about a
// second at most, and is false when nobody answered in that time.
bool askFirstToRaise();
