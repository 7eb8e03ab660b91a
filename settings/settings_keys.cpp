#include "settings/settings_keys.h"

#define INT_KEY(group, field, byDefault) \
    {#group "." #field, [](Settings& s) -> int32_t* { return &s.group.field; }, nullptr, byDefault, nullptr}
#define TEXT_KEY(group, field, defaultFormat) \
    {#group "." #field, nullptr, [](Settings& s) -> char* { return s.group.field; }, 0, defaultFormat}

// The full-battery rows come before the low-battery rows here, as in every
// settings file written so far, although the record declares them the
// other way round.
const SettingKey settingKeys[kSettingKeyCount] = {
    INT_KEY(Cscreen, Sdisplayitems[0], 1),
    INT_KEY(Cscreen, Sdisplayitems[1], 2),
    INT_KEY(Cscreen, Sdisplayitems[2], 3),
    INT_KEY(Cscreen, Sdisplayitems[3], 4),
    INT_KEY(Cscreen, Sdisplayitems[4], 5),
    INT_KEY(Cscreen, Sdisplayinterval, 1000),
    INT_KEY(Cscreen, Stimeformat, 0),
    INT_KEY(Cscreen, Shidetaskbar, 0),
    INT_KEY(Cscreen, Sshowtasktray, 0),
    INT_KEY(Cbattery, Stimedef1pcharge, 0),
    INT_KEY(Cbattery, Stimedef1pdischarge, 0),
    INT_KEY(Cbattery, Sautosetchargetime, 1),
    INT_KEY(Cbattery, Sautosetdischargetime, 1),
    INT_KEY(Cbattery, Scheckinterval, 1000),
    INT_KEY(Clogfile, Sneedsavelogfile, 0),
    INT_KEY(Clogfile, Sneedsavelogfiletime, 0),
    INT_KEY(Clogfile, Sneedsavelogfilebattery, 1),
    INT_KEY(Clogfile, Soutputinterval, 60000),
    TEXT_KEY(Clogfile, Slogfilename, nullptr),
    TEXT_KEY(Csound, Sacfilename, "%sMEDIA\\DING.WAV"),
    TEXT_KEY(Csound, Sacbatteryfilename, "%sMEDIA\\DING.WAV"),
    TEXT_KEY(Csound, Schargefilename, "%sMEDIA\\TADA.WAV"),
    TEXT_KEY(Csound, Sdischargefilename, "%sMEDIA\\CHORD.WAV"),
    TEXT_KEY(Csound, Sfullbatteryfilename, "%sMEDIA\\The Microsoft Sound.wav"),
    TEXT_KEY(Csound, Slowbatteryfilename, "%sMEDIA\\CHIMES.WAV"),
    INT_KEY(Csound, Sfullbatteryperc, 95),
    INT_KEY(Csound, Slowbatteryperc, 20),
    INT_KEY(Csound, Sacfilenameenable, 1),
    INT_KEY(Csound, Sacbatteryfilenameenable, 1),
    INT_KEY(Csound, Schargefilenameenable, 1),
    INT_KEY(Csound, Sdischargefilenameenable, 1),
    INT_KEY(Csound, Sfullbatteryfilenameenable, 1),
    INT_KEY(Csound, Slowbatteryfilenameenable, 1),
    INT_KEY(Cmanip, Sneedsaveoptionsystem, 1),
    INT_KEY(Cmanip, Sasksuspendok, 0),
};
