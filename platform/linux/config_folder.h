// The user's configuration folders, named by the XDG rules. Only
// platform/linux/ includes this.
#pragma once

#include <cstddef>

// $XDG_CONFIG_HOME/<name>/, or ~/.config/<name>/ where that is unset or not
// absolute (the home the password database gives the user the program runs
// as, whatever $HOME says). False, errno set, when there is no home or the
// name does not fit.
bool configFolder(const char* name, char* out, size_t size);

// Makes each missing folder of `path` (ending in '/') for the user alone,
// only inside a folder of the user's; the last one is 0700 whatever the
// umask when it was made here. False when one cannot be made (EPERM: its
// folder is someone else's), or the last is not a folder of the user's.
bool makeUserFolders(char* path);
