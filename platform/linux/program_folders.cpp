// Where the program is and where it keeps its files. The program's own
// path is read from /proc/self/exe and taken as it is: a Linux file name
// may hold a backslash, a colon or a double quote, which a Windows path
// would take for something else.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/linux_platform.h"

namespace {

// A copy the user unpacked into a folder of their own keeps its files
// beside itself, as on Windows; an installed one cannot (or must not).
bool keepsFilesBeside(const char* programFolder) {
    if (strncmp(programFolder, "/usr/", 5) == 0) return false;
    struct stat info;
    return stat(programFolder, &info) == 0 && info.st_uid == geteuid() &&
           faccessat(AT_FDCWD, programFolder, W_OK | X_OK, AT_EACCESS) == 0;
}

// $XDG_CONFIG_HOME/cellwarden/, or ~/.config/cellwarden/ where that is unset
// or not absolute (as the XDG rules say).
bool configFolderName(char* out, size_t size) {
    const char* config = getenv("XDG_CONFIG_HOME");
    int length;
    if (config && config[0] == '/') {
        length = snprintf(out, size, "%s/cellwarden/", config);
    } else {
        const char* home = getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* user = getpwuid(geteuid());
            home = user ? user->pw_dir : nullptr;
        }
        if (!home || home[0] != '/') return false;
        length = snprintf(out, size, "%s/.config/cellwarden/", home);
    }
    return length > 0 && static_cast<size_t>(length) < size;
}

// Makes each missing folder of `path` (which ends in '/') for the user
// alone; the last one is 0700 whatever the umask, when it was made here.
bool makeFolders(char* path) {
    bool madeLast = false;
    for (char* slash = strchr(path + 1, '/'); slash; slash = strchr(slash + 1, '/')) {
        *slash = '\0';
        madeLast = mkdir(path, 0700) == 0;
        const bool there = madeLast || errno == EEXIST;
        *slash = '/';
        if (!there) return false;
    }
    if (madeLast && chmod(path, 0700) != 0) return false;
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool linuxProgramPath(char* out, size_t size) {
    if (!out || size == 0) return false;
    const ssize_t length = readlink("/proc/self/exe", out, size);
    if (length <= 0 || static_cast<size_t>(length) >= size) {
        out[0] = '\0';
        return false;
    }
    out[length] = '\0';
    return true;
}

bool linuxFilesFolder(const char* programFolder, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (keepsFilesBeside(programFolder)) {
        const int length = snprintf(out, size, "%s", programFolder);
        return length >= 0 && static_cast<size_t>(length) < size;
    }
    if (!configFolderName(out, size)) {
        out[0] = '\0';
        return false;
    }
    return makeFolders(out);
}
