#include "settings/settings_file.h"

#include <cstring>

#include "base/program.h"
#include "base/refused_files.h"
#include "base/text_file.h"
#include "settings/settings_keys.h"

WindowPlacement dialogPlacements[kDialogCount] = {
    {kUseDefault, kUseDefault, kUseDefault, kUseDefault, 0},
    {kUseDefault, kUseDefault, kUseDefault, kUseDefault, 0},
    {kUseDefault, kUseDefault, kUseDefault, kUseDefault, 0},
    {kUseDefault, kUseDefault, kUseDefault, kUseDefault, 0},
};

static const char* const kPlacementKeys[kSavedDialogCount] = {"WPOS_Dlg_Main", "WPOS_Dlg_Sound",
                                                         "WPOS_Dlg_Log"};

void settingsFilePath(char (&out)[kPathSize]) {
    char baseName[kPathSize];
    programBaseName(baseName);
    pathInFolder(filesDirectory, baseName, "*.INI", out, false);
}

// Readers and writers in other processes (two starts, two users of one
// folder) take turns through a lock file beside the settings file.
static PlatformFile* lockSettingsFile(bool exclusive) {
    char baseName[kPathSize], path[kPathSize];
    programBaseName(baseName);
    pathInFolder(filesDirectory, baseName, "*.LCK", path, false);
    return platformLockFile(path, exclusive);
}

// The text after `key` when the line starts with its exact bytes and a
// blank follows; null otherwise.
static const char* afterKey(const char* line, const char* key) {
    size_t length = strlen(key);
    if (strncmp(line, key, length) != 0 || line[length] != ' ') return nullptr;
    return line + length;
}

static bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

static const char* skipSpaces(const char* p) {
    while (isSpace(*p)) ++p;
    return p;
}

// A decimal integer as a formatted scan reads one: blanks, a sign, digits.
// Values beyond 32 bits are clamped. Null when no digit follows.
static const char* scanInteger(const char* p, int32_t* value) {
    p = skipSpaces(p);
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p < '0' || *p > '9') return nullptr;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (magnitude <= INT64_C(1) << 32) magnitude = magnitude * 10 + (*p - '0');
    *value = clampToInt32(negative ? -magnitude : magnitude);
    return p;
}

// The text after " = ", or null when the "=" is missing.
static const char* afterEquals(const char* p) {
    p = skipSpaces(p);
    return *p == '=' ? p + 1 : nullptr;
}

// " = x,y,w,h,state": numbers that are missing count as 0.
static void parsePlacement(const char* p, WindowPlacement& placement) {
    int32_t values[5] = {0, 0, 0, 0, 0};
    p = afterEquals(p);
    for (int i = 0; p && i < 5; ++i) {
        if (i > 0) p = *p == ',' ? p + 1 : nullptr;
        if (p) p = scanInteger(p, &values[i]);
    }
    placement = WindowPlacement{values[0], values[1], values[2], values[3], values[4]};
}

static bool parsePlacementLine(const char* line) {
    for (int i = 0; i < kSavedDialogCount; ++i) {
        const char* rest = afterKey(line, kPlacementKeys[i]);
        if (!rest) continue;
        parsePlacement(rest, dialogPlacements[i]);
        return true;
    }
    return false;
}

bool parseSettingsLine(Settings& s, const char* line) {
    for (const SettingKey& row : settingKeys) {
        const char* rest = afterKey(line, row.key);
        if (!rest) continue;
        if (row.intField) {
            int32_t value;
            const char* p = afterEquals(rest);
            if (p && scanInteger(p, &value)) *row.intField(s) = value;
        } else {
            // The value starts right after the " = " the writer puts there.
            const char* value = strlen(rest) >= 3 ? rest + 3 : "";
            setText(row.textField(s), value);
        }
        return true;
    }
    return false;
}

bool readSettingsFile() {
    char path[kPathSize];
    settingsFilePath(path);
    PlatformFile* lock = lockSettingsFile(false);
    LineReader reader;
    TextFileOpen opened = openTrustedLineReader(reader, path);
    if (opened == TextFileOpen::Opened) {
        char line[kLineBufferSize];
        while (readLine(reader, line))
            if (!parsePlacementLine(line)) parseSettingsLine(liveSettings, line);
        closeLineReader(reader);
    }
    platformUnlockFile(lock);
    if (opened == TextFileOpen::Refused) tellRefusedFile(kRefusedSettings, path);
    if (opened != TextFileOpen::Opened) return false;
    backupSettings = liveSettings;
    return true;
}

void formatSettingsLines(Settings& s, TextBuffer& out) {
    for (const SettingKey& row : settingKeys) {
        if (row.intField) appendFormatted(out, "%s = %d\r\n", row.key, *row.intField(s));
        else appendFormatted(out, "%s = %.259s\r\n", row.key, row.textField(s));
    }
}

// A file the reader refused is never saved over: it is not ours to replace.
static bool isSomeoneElsesFile(const char* path) {
    LineReader reader;
    TextFileOpen opened = openTrustedLineReader(reader, path);
    if (opened == TextFileOpen::Opened) closeLineReader(reader);
    return opened == TextFileOpen::Refused;
}

bool writeSettingsFile() {
    // With the taskbar button hidden the main window comes back hidden.
    WindowPlacement saved[kSavedDialogCount];
    memcpy(saved, dialogPlacements, sizeof saved);
    if (liveSettings.Cscreen.Shidetaskbar) saved[kMainDialog].state = 4;
    char text[8192];
    TextBuffer out = makeTextBuffer(text, sizeof text);
    for (int i = 0; i < kSavedDialogCount; ++i) {
        const WindowPlacement& p = saved[i];
        appendFormatted(out, "%s = %d,%d,%d,%d,%d\r\n", kPlacementKeys[i], p.x, p.y, p.width, p.height,
                        p.state);
    }
    formatSettingsLines(liveSettings, out);
    if (out.overflowed) return false;
    char path[kPathSize];
    settingsFilePath(path);
    PlatformFile* lock = lockSettingsFile(true);
    bool written = !isSomeoneElsesFile(path) && writeFileReplacing(path, out.data, out.length);
    platformUnlockFile(lock);
    if (!written) return false;
    dialogPlacements[kMainDialog].state = saved[kMainDialog].state;  // the record says so too
    return true;
}

bool saveSettingsIfEnabled() {
    return !liveSettings.Cmanip.Sneedsaveoptionsystem || writeSettingsFile();
}
