// The settings record: every user setting in five groups named after the
// settings-file keys, plus the run-time state that travels with them. A
// plain record without pointers, so whole-record copies are plain copies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/battery_status.h"

constexpr size_t kNameSize = 260;  // 259 characters and the terminator
constexpr int kLogRingSlots = 128;
constexpr size_t kLogLineSize = 128;

struct CscreenGroup {
    int32_t Sdisplayitems[5];
    int32_t Sdisplayinterval;
    int32_t Stimeformat;
    int32_t Shidetaskbar;
    int32_t Sshowtasktray;
};

// The last 128 log lines; an empty slot is free.
struct LogRing {
    int32_t writeIndex;
    char slots[kLogRingSlots][kLogLineSize];
};

struct ClogfileGroup {
    int32_t Sneedsavelogfile;
    int32_t Sneedsavelogfiletime;
    int32_t Sneedsavelogfilebattery;
    int32_t Soutputinterval;
    char Slogfilename[kNameSize];
    LogRing logRing;
};

struct CsoundGroup {
    int32_t Sfullbatteryperc;
    int32_t Slowbatteryperc;
    char Sacfilename[kNameSize];
    char Sacbatteryfilename[kNameSize];
    char Schargefilename[kNameSize];
    char Sdischargefilename[kNameSize];
    char Slowbatteryfilename[kNameSize];
    char Sfullbatteryfilename[kNameSize];
    int32_t Sacfilenameenable;
    int32_t Sacbatteryfilenameenable;
    int32_t Schargefilenameenable;
    int32_t Sdischargefilenameenable;
    int32_t Slowbatteryfilenameenable;
    int32_t Sfullbatteryfilenameenable;
};

struct CmanipGroup {
    int32_t Sneedsaveoptionsystem;
    int32_t Sasksuspendok;
};

struct Settings {
    CscreenGroup Cscreen;
    BatteryStatus Cbattery;
    ClogfileGroup Clogfile;
    CsoundGroup Csound;
    CmanipGroup Cmanip;
    char itemsText[256];   // the display items: caption and tray tip
    char statusLine[256];  // the fixed-layout line the log writes
};

// The live record every part reads, and the snapshot Cancel restores from.
extern Settings liveSettings;
extern Settings backupSettings;

// Defaults for every setting (the sound files lie in the Windows
// directory), the starting battery state, an empty log ring and texts.
void setDefaults(Settings& s);

// Fills both records with their defaults, live first; run first of all.
void initSettingsRecords();

// Setters with rules of their own. A null text stores the empty text; a
// text of 260 characters or more is cut to 259. A text with a control
// character is refused whole (false) and the field keeps its value: every
// text that reaches a setting comes through here, so none can break the
// settings file's lines.
bool setText(char* field, const char* text);  // a field of kNameSize bytes
// The two log triggers are kept mutually exclusive by every setter call.
void setLogByTime(ClogfileGroup& log, int32_t value);
void setLogByBattery(ClogfileGroup& log, int32_t value);
