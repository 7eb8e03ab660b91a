// The help page that stands in for the Windows help file, which Linux has
// no viewer for.
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/linux/linux_platform.h"

namespace {

bool isRegularFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// The page beside the help file: the extension of its last component
// replaced by ".html". False when it does not fit.
bool pageBeside(const char* helpPath, char* out, size_t size) {
    const size_t length = strlen(helpPath);
    size_t extension = length;
    for (size_t pos = 0; pos < length; ++pos) {
        if (helpPath[pos] == '/') extension = length;
        else if (helpPath[pos] == '.') extension = pos;
    }
    static const char kPage[] = ".html";
    if (extension + sizeof kPage > size) return false;
    memcpy(out, helpPath, extension);
    memcpy(out + extension, kPage, sizeof kPage);
    return true;
}

// An installed program's page is not beside it but in the package's
// documentation: <prefix>/bin/x.html is <prefix>/share/doc/cellwarden/x.html.
bool installedPage(const char* page, char* out, size_t size) {
    const char* name = strrchr(page, '/');
    if (!name) return false;
    int written = snprintf(out, size, "%.*s/../share/doc/cellwarden%s", static_cast<int>(name - page), page, name);
    return written > 0 && static_cast<size_t>(written) < size;
}

}  // namespace

bool linuxHelpPage(const char* helpPath, char* out, size_t size) {
    if (!helpPath || !*helpPath || !out || size == 0) return false;
    char beside[PATH_MAX];
    if (!pageBeside(helpPath, beside, sizeof beside)) return false;
    if (isRegularFile(beside)) {
        if (strlen(beside) >= size) return false;
        memcpy(out, beside, strlen(beside) + 1);
        return true;
    }
    return installedPage(beside, out, size) && isRegularFile(out);
}
