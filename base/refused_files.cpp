#include "base/refused_files.h"

#include "base/front_end.h"
#include "base/text_util.h"
#include "base/texts.h"
#include "platform/platform.h"

namespace {

struct Notice {
    const char* what;  // for the diagnostics line, with the path
    int message;       // IDS_ id
    bool told;
    bool owed;
};

Notice notices[kRefusedFileKinds] = {
    {"settings file not read, defaults used and not saved over it", IDS_REFUSED_SETTINGS, false, false},
    {"event script not run", IDS_REFUSED_SCRIPT, false, false},
};

// Timers tick inside a message box: the next box waits for this one.
bool showing;

void showOwed() {
    if (showing || !frontEndMainWindow()) return;
    showing = true;
    for (int kind = 0; kind < kRefusedFileKinds; ++kind) {
        if (!notices[kind].owed) continue;
        notices[kind].owed = false;
        frontEndShowMessage(text(notices[kind].message), "Cellwarden");
        kind = -1;  // one may have fallen due meanwhile
    }
    showing = false;
}

}  // namespace

void tellRefusedFile(RefusedFile kind, const char* path) {
    if (kind < 0 || kind >= kRefusedFileKinds || notices[kind].told) return;
    Notice& notice = notices[kind];
    notice.told = true;
    notice.owed = true;
    char line[1536];  // room for a path as long as Linux allows one here
    formatText(line, "celwrd: %s: %s (someone else could have written it)", path ? path : "", notice.what);
    platformLogProblem(line);
    showOwed();
}

void showRefusedFileNotices() { showOwed(); }

void resetRefusedFileNotices() {
    for (Notice& notice : notices) notice.told = notice.owed = false;
}
