// The settings file beside the program: 38 lines of key, " = " and value,
// with the screen placement of the three dialog windows.
#pragma once

#include <cstdint>

#include "base/paths.h"
#include "base/text_util.h"
#include "settings/settings.h"

// Position, size and show state of one dialog window. state: 1 minimised,
// 2 maximised, 4 hidden, 0 normal; -1 once the window was destroyed.
struct WindowPlacement {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    int32_t state;
};

// The system's "choose the position and size yourself".
constexpr int32_t kUseDefault = INT32_MIN;

enum DialogId { kMainDialog = 0, kSoundDialog = 1, kLogDialog = 2, kHealthDialog = 3, kDialogCount = 4 };

// The dialogs whose placement the file keeps, the first ones by id; the
// health window's place is kept for the run only, so the file's lines stay
// as they are.
constexpr int kSavedDialogCount = 3;

// Kept for the whole run; the dialog frames capture into them.
extern WindowPlacement dialogPlacements[kDialogCount];

// The files folder, base name and ".INI".
void settingsFilePath(char (&out)[kPathSize]);

// Reads the file into the live record and the placements, then copies the
// live record into the backup. A file that cannot be opened changes
// nothing and gives false; so does one that someone else could have
// written, and the user is told. A last line without a line end is read
// like the others.
bool readSettingsFile();

// Writes the placements and the live record. The new file replaces the old
// one in one step, so an interrupted write or another program's save never
// loses the settings; a file someone else could have written is not
// replaced, nor is a read-only one. With
// Shidetaskbar set the main placement is saved (and, once written, kept)
// as hidden.
// Returns whether the file was written.
bool writeSettingsFile();

// The one way the program saves: only while Sneedsaveoptionsystem is on.
// False only when a save was due and failed.
bool saveSettingsIfEnabled();

// Applies one line (without its line end) to a record; true when it named a
// setting. An integer that does not read as a number keeps the old value.
bool parseSettingsLine(Settings& s, const char* line);

// Lines 4 to 38 of the file, each ending in CR LF.
void formatSettingsLines(Settings& s, TextBuffer& out);
