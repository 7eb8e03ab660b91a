// What the core shows through the front end: windows, tray, messages and
// help. Each call does nothing until the front end has connected the
// matching hook.
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/linux/linux_platform.h"

namespace {

LinuxFrontEnd frontEnd;

const char* orEmpty(const char* text) { return text ? text : ""; }

bool isRegularFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// The page beside the help file: the extension of its last component
// replaced by ".html". False when it does not fit.
bool helpPagePath(const char* helpPath, char* out, size_t size) {
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
bool installedPagePath(const char* page, char* out, size_t size) {
    const char* name = strrchr(page, '/');
    if (!name) return false;
    int written = snprintf(out, size, "%.*s/../share/doc/cellwarden%s", static_cast<int>(name - page), page, name);
    return written > 0 && static_cast<size_t>(written) < size;
}

}  // namespace

void linuxConnect(const LinuxFrontEnd& hooks) { frontEnd = hooks; }

void cutTrayTip(const char* tip, char* out, size_t size) {
    if (!out || size == 0) return;
    tip = orEmpty(tip);
    size_t limit = size - 1 < kTrayTipBytes ? size - 1 : kTrayTipBytes;
    size_t end = strnlen(tip, limit + 1);
    if (end > limit) {
        end = limit;
        // Back off the continuation bytes of a character the cut would split.
        while (end > 0 && (static_cast<unsigned char>(tip[end]) & 0xC0) == 0x80) --end;
    }
    memcpy(out, tip, end);
    out[end] = '\0';
}

// ---------------------------------------------------------------- windows

WindowHandle platformMainWindow() { return frontEnd.mainWindow ? frontEnd.mainWindow() : 0; }

void platformSetCaption(WindowHandle window, const char* text) {
    if (window && frontEnd.setCaption) frontEnd.setCaption(window, orEmpty(text));
}

void platformSetClassIcon(WindowHandle window, int iconId) {
    if (window && frontEnd.setClassIcon) frontEnd.setClassIcon(window, iconId);
}

bool platformTrayAdd(WindowHandle window, int iconId, const char* tip) {
    if (!window || !frontEnd.trayAdd) return false;
    char cut[kTrayTipBytes + 1];
    cutTrayTip(tip, cut, sizeof cut);
    return frontEnd.trayAdd(window, iconId, cut);
}

bool platformTrayModify(WindowHandle window, int iconId, const char* tip) {
    if (!window || !frontEnd.trayModify) return false;
    char cut[kTrayTipBytes + 1];
    cutTrayTip(tip, cut, sizeof cut);
    return frontEnd.trayModify(window, iconId, cut);
}

void platformTrayDelete(WindowHandle window) {
    if (window && frontEnd.trayDelete) frontEnd.trayDelete(window);
}

bool platformIsMinimisedAndVisible(WindowHandle window) {
    return window && frontEnd.isMinimisedAndVisible && frontEnd.isMinimisedAndVisible(window);
}

void platformHideWindow(WindowHandle window) {
    if (window && frontEnd.hideWindow) frontEnd.hideWindow(window);
}

bool platformAskYesNo(const char* text, const char* caption) {
    return frontEnd.askYesNo && frontEnd.askYesNo(orEmpty(text), orEmpty(caption));
}

void platformShowMessage(const char* text, const char* caption) {
    if (frontEnd.showMessage) frontEnd.showMessage(orEmpty(text), orEmpty(caption));
}

void platformOpenHelp(const char* path) {
    // Linux has no viewer for .HLP: only the page beside it can be shown.
    if (!path || !*path || !frontEnd.openPage) return;
    char page[PATH_MAX];
    if (!helpPagePath(path, page, sizeof page)) return;
    char installed[PATH_MAX];
    if (isRegularFile(page)) frontEnd.openPage(page);
    else if (installedPagePath(page, installed, sizeof installed) && isRegularFile(installed))
        frontEnd.openPage(installed);
}

void platformRedrawLogViewer() {
    if (frontEnd.redrawLogViewer) frontEnd.redrawLogViewer();
}

void platformEndMainDialog() {
    if (frontEnd.endMainDialog) frontEnd.endMainDialog();
}

void platformNotifyAlert(bool full, int32_t percent) {
    if (frontEnd.notifyAlert) frontEnd.notifyAlert(full, percent);
}
