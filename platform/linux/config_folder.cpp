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
        // Not $HOME: su without - and sudo without -H keep the caller's,
        // and root would take over that user's ~/.config.
        char buffer[4096];
        struct passwd user, *found = nullptr;
        const bool known = getpwuid_r(geteuid(), &user, buffer, sizeof buffer, &found) == 0 && found;
        const char* home = known ? user.pw_dir : nullptr;
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

namespace {

// Whether the folder that holds `path` is the user's.
bool parentIsOurs(const char* path) {
    char parent[4096];
    const char* slash = strrchr(path, '/');
    const size_t length = !slash ? 0 : slash == path ? 1 : static_cast<size_t>(slash - path);
    if (length == 0 || length >= sizeof parent) return false;
    memcpy(parent, path, length);
    parent[length] = '\0';
    struct stat info;
    return stat(parent, &info) == 0 && info.st_uid == geteuid();
}

}  // namespace

bool makeUserFolders(char* path) {
    bool madeLast = false;
    for (char* slash = strchr(path + 1, '/'); slash; slash = strchr(slash + 1, '/')) {
        *slash = '\0';
        struct stat info;
        bool there = stat(path, &info) == 0;
        madeLast = false;
        // Never inside a folder of someone else's: root with another
        // user's environment would leave that user a folder they cannot use.
        if (!there && errno == ENOENT && parentIsOurs(path)) {
            madeLast = mkdir(path, 0700) == 0;
            there = madeLast || errno == EEXIST;
        } else if (!there && errno == ENOENT) {
            errno = EPERM;
        }
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
    // The settings and the log go there: someone else's is not taken over.
    if (info.st_uid != geteuid()) {
        errno = EPERM;
        return false;
    }
    return true;
}
