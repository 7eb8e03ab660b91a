// What the core shows through the front end: windows, tray, messages,
// help and the timers of its event loop. Each call does nothing until the
// front end has connected the matching hook.
#include <sys/stat.h>
#include <time.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/linux/linux_platform.h"
#include "platform/time_count.h"
#include "platform/timer_table.h"

namespace {

LinuxFrontEnd frontEnd;

TimerTable timers;
uintptr_t lastTimerId;

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

// ---------------------------------------------------------------- timers

namespace {

int64_t localMs() {
    LocalTime now;
    platformGetLocalTime(&now);
    return toMsCount(now);
}

int64_t universalMs() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Asks the loop for the first step at which the timer is no longer quiet,
// or sooner to look at the clock again.
void armOnLoop(uintptr_t id) {
    if (frontEnd.armTimer) frontEnd.armTimer(id, wakeDelay(timers.quietFor(id, localMs()), universalMs()));
}

}  // namespace

uintptr_t platformStartTimer(uint32_t periodMs, TimerCallback callback) {
    if (!callback || !frontEnd.startTimer || !timers.hasRoom()) return 0;
    // Ids are never reused soon, so a late tick of a stopped timer cannot
    // reach its successor.
    uintptr_t id = ++lastTimerId;
    if (id == 0) id = ++lastTimerId;
    if (!frontEnd.startTimer(id, periodMs)) return 0;
    timers.add(id, callback);
    return id;
}

void platformStopTimer(uintptr_t id) {
    if (timers.remove(id) && frontEnd.stopTimer) frontEnd.stopTimer(id);
}

void platformArmTimer(uintptr_t id, int64_t quietFrom, int64_t quietUntil) {
    // Armed by its own tick, it is asked for when the tick is over.
    if (timers.arm(id, quietFrom, quietUntil) && !timers.running(id)) armOnLoop(id);
}

void linuxTimerFired(uintptr_t id) {
    // Woken to look at the clock, or the clock was set into the quiet
    // span: not a tick.
    if (timers.quietFor(id, localMs()) == 0) timers.fire(id);
    if (timers.has(id)) armOnLoop(id);  // unless the tick stopped it
}

void linuxClockSet() {
    for (int slot = 0; slot < TimerTable::kSlots; ++slot)
        if (uintptr_t id = timers.idAt(slot); id && !timers.running(id)) armOnLoop(id);
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
