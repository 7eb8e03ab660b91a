#include "platform/linux/config_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool configFolder(const char* name, char* out, size_t size) {
    const char* config = getenv("XDG_CONFIG_HOME");
    int length;
    if (config && config[0] == '/') {
        length = snprintf(out, size, "%s/%s/", config, name);
    } else {
        const char* home = getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* user = getpwuid(geteuid());
            home = user ? user->pw_dir : nullptr;
        }
        if (!home || home[0] != '/') {
            errno = ENOENT;
            return false;
        }
        length = snprintf(out, size, "%s/.config/%s/", home, name);
    }
    if (length < 0 || static_cast<size_t>(length) >= size) {
        errno = ENAMETOOLONG;
        return false;
    }
    return true;
}

bool makeUserFolders(char* path) {
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
    if (stat(path, &info) != 0) return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}
