// One program per user. The first start holds an advisory lock for its
// whole life and listens on a local socket beside the lock; a later start
// finds the lock taken, asks the first to bring its window forward and
// ends. Both live in $XDG_RUNTIME_DIR, or in /tmp/cellwarden-<uid> where
// that is not set or not the user's own private directory.
#pragma once

// True when this process is the first: it now holds the lock for the rest
// of its life and `raise` (may be null) is called on the event loop
// whenever a later start asks. False when another process holds the lock:
// the caller then calls askFirstToRaise() and ends with exit code 0.
// Also true, holding nothing, when no private directory can be had (one
// planted by another user, say): a start is never refused for that.
// Call on the thread of the QCoreApplication, after it is made; calling
// again in the first process only changes `raise`.
bool becomeFirstInstance(void (*raise)());

// Asks the process holding the lock to call its `raise`; waits about a
// second at most, and is false when nobody answered in that time.
bool askFirstToRaise();
