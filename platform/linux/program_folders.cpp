// Where the program is and where it keeps its files. The program's own
// path is read from /proc/self/exe and taken as it is: a Linux file name
// may hold a backslash, a colon or a double quote, which a Windows path
// would take for something else.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/linux/config_folder.h"
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

bool linuxFilesFolderName(const char* programFolder, char* out, size_t size, bool* beside) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    *beside = keepsFilesBeside(programFolder);
    if (*beside) {
        const int length = snprintf(out, size, "%s", programFolder);
        return length >= 0 && static_cast<size_t>(length) < size;
    }
    if (!configFolder("cellwarden", out, size)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool linuxFilesFolder(const char* programFolder, char* out, size_t size) {
    bool beside;
    if (!linuxFilesFolderName(programFolder, out, size, &beside)) return false;
    return beside || makeUserFolders(out);
}
