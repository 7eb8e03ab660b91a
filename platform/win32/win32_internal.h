// Helpers shared by the files of the Win32 platform layer; nothing outside
// platform/win32/ includes this.
#pragma once

#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

// Loads a DLL that ships with the system from the system directory only,
// whatever the search order of the process; null when it cannot.
HMODULE loadSystemLibrary(const wchar_t* name);

// Raised when the end of the session came while the user-interface thread
// was busy; the first call starts the thread that listens for it. Null when
// it cannot be had.
HANDLE sessionEndEvent();

// A file or folder owned by `user` (the one the program runs as), the
// Administrators or SYSTEM.
bool ownerIsTrustedSid(PSID owner, PSID user);

// Whether an allow entry in effect on the object gives anyone but `owner`,
// `user`, the Administrators, SYSTEM or TrustedInstaller the right to write,
// append, delete what a folder holds, or change the permissions or the
// owner. Entries only handed down to children do not count; a denial counts
// only before the allowance, for the same SID or for Everyone. A null DACL
// lets everyone do everything, so it lets others change the object.
bool daclLetsOthersChange(const ACL* dacl, PSID owner, PSID user);

// A trusted owner and a DACL that lets no one else change the object
// (both read from `descriptor`).
bool securityIsClosedToOthers(PSECURITY_DESCRIPTOR descriptor, PSID user);
