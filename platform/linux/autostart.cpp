// The desktop's autostart entry (the XDG autostart rules): a desktop file
// in $XDG_CONFIG_HOME/autostart/ that the session starts at log-in.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/config_folder.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/trust.h"

namespace {

constexpr char kFileName[] = "cellwarden.desktop";

// Well-formed UTF-8 (the table of byte sequences of RFC 3629), as every
// value of a desktop entry must be: a desktop skips an entry whose Exec
// line holds other bytes.
bool isUtf8(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        unsigned char low = 0x80, high = 0xBF;
        int trailing;
        if (*p >= 0xC2 && *p <= 0xDF) trailing = 1;
        else if (*p == 0xE0) trailing = 2, low = 0xA0;
        else if (*p == 0xED) trailing = 2, high = 0x9F;
        else if (*p >= 0xE1 && *p <= 0xEF) trailing = 2;
        else if (*p == 0xF0) trailing = 3, low = 0x90;
        else if (*p >= 0xF1 && *p <= 0xF3) trailing = 3;
        else if (*p == 0xF4) trailing = 3, high = 0x8F;
        else return false;
        ++p;
        if (*p < low || *p > high) return false;
        for (++p; --trailing > 0; ++p)
            if ((*p & 0xC0) != 0x80) return false;
    }
    return true;
}

// The Exec value: the path as one quoted argument, with the quoting rule
// (a backslash before " ` $ and \) and then the string rule (every
// backslash doubled) applied, and % doubled for the field codes. False
// for a path with control characters, which no Exec line can carry, and
// for one that is not UTF-8.
bool execValue(const char* path, char* out, size_t size) {
    if (!isUtf8(path)) {
        errno = EILSEQ;
        return false;
    }
    size_t length = 0;
    out[length++] = '"';
    for (const char* p = path; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F) {
            errno = EINVAL;
            return false;
        }
        // The most one byte becomes, and the closing quote with the end.
        if (length + 4 + 2 > size) {
            errno = ENAMETOOLONG;
            return false;
        }
        if (c == '"' || c == '`' || c == '$') out[length++] = '\\', out[length++] = '\\';
        if (c == '\\') out[length++] = '\\', out[length++] = '\\', out[length++] = '\\';
        if (c == '%') out[length++] = '%';
        out[length++] = *p;
    }
    out[length++] = '"';
    out[length] = '\0';
    return true;
}

// Written beside and renamed into place: the session never reads half a file.
bool writeWhole(const char* folder, const char* path, const char* text) {
    char temporary[4200];
    const int length = snprintf(temporary, sizeof temporary, "%s.%s.XXXXXX", folder, kFileName);
    if (length < 0 || static_cast<size_t>(length) >= sizeof temporary) {
        errno = ENAMETOOLONG;
        return false;
    }
    const int fd = mkostemp(temporary, O_CLOEXEC);
    if (fd < 0) return false;
    const size_t size = strlen(text);
    // No default ACL of the folder hands the entry to anyone else.
    bool written = keepOnlyMode(fd) && fchmod(fd, 0644) == 0 &&
                   write(fd, text, size) == static_cast<ssize_t>(size) && fsync(fd) == 0;
    const int error = errno;
    written = close(fd) == 0 && written;
    if (written && rename(temporary, path) == 0) return true;
    const int failure = written ? errno : error;
    unlink(temporary);
    errno = failure;
    return false;
}

}  // namespace

bool linuxFindReplaceable(const char* programPath, char* out, size_t size) {
    return findOpenToOthers(programPath, out, size);
}

bool linuxSetAutostart(bool on, const char* programPath, char* where, size_t size) {
    if (!where || size == 0) return false;
    char folder[4096];
    if (!configFolder("autostart", folder, sizeof folder)) return false;
    if (snprintf(where, size, "%s%s", folder, kFileName) >= static_cast<int>(size)) {
        errno = ENAMETOOLONG;
        return false;
    }
    if (!on) return unlink(where) == 0 || errno == ENOENT;
    char exec[8192], replaceable[8];
    if (!programPath || !execValue(programPath, exec, sizeof exec)) return false;
    if (linuxFindReplaceable(programPath, replaceable, sizeof replaceable)) {
        errno = EPERM;
        return false;
    }
    char text[8192 + 512];
    snprintf(text, sizeof text,
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Cellwarden\n"
             "Comment=Battery monitor\n"
             "Comment[ja]=バッテリーモニター\n"
             "Exec=%s\n"
             "Icon=cellwarden\n"
             "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n",
             exec);
    return makeUserFolders(folder) && writeWhole(folder, where, text);
}
