// One row per persisted setting, in the order the settings file lists them.
// Defaults, reading and writing all come from these rows, so no key can be
// written and forgotten by the reader.
#pragma once

#include <cstdint>

#include "settings/settings.h"

struct SettingKey {
    const char* key;                     // "Cscreen.Sdisplayitems[0]"
    int32_t* (*intField)(Settings&);     // set for an integer setting
    char* (*textField)(Settings&);       // set for a text setting (kNameSize bytes)
    int32_t intDefault;
    const char* textDefaultFormat;       // "%s..." with the Windows directory; null: empty
};

constexpr int kSettingKeyCount = 35;
extern const SettingKey settingKeys[kSettingKeyCount];
