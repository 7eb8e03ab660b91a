#include "settings/settings.h"

#include <string>

#include "settings/settings_file.h"
#include "sim_test.h"

namespace {

class SettingsRecord : public SimTest {};

TEST_F(SettingsRecord, DefaultsFollowTheTable) {
    const Settings& s = liveSettings;
    EXPECT_EQ(s.Cscreen.Sdisplayitems[0], 1);
    EXPECT_EQ(s.Cscreen.Sdisplayitems[4], 5);
    EXPECT_EQ(s.Cscreen.Sdisplayinterval, 1000);
    EXPECT_EQ(s.Cbattery.Scheckinterval, 1000);
    EXPECT_EQ(s.Cbattery.Sautosetchargetime, 1);
    EXPECT_EQ(s.Cbattery.kind, kPowerUnknown);
    EXPECT_EQ(s.Clogfile.Sneedsavelogfilebattery, 1);
    EXPECT_EQ(s.Clogfile.Soutputinterval, 60000);
    EXPECT_STREQ(s.Clogfile.Slogfilename, "");
    EXPECT_EQ(s.Csound.Sfullbatteryperc, 95);
    EXPECT_EQ(s.Csound.Slowbatteryperc, 20);
    EXPECT_EQ(s.Csound.Slowbatteryfilenameenable, 1);
    EXPECT_EQ(s.Cmanip.Sneedsaveoptionsystem, 1);
    EXPECT_EQ(s.Cmanip.Sasksuspendok, 0);
    EXPECT_EQ(s.Clogfile.logRing.writeIndex, 0);
    EXPECT_STREQ(s.itemsText, "");
    EXPECT_EQ(backupSettings.Csound.Sfullbatteryperc, 95);
}

TEST_F(SettingsRecord, SoundDefaultsLieInTheWindowsDirectory) {
    EXPECT_STREQ(liveSettings.Csound.Sacfilename, "C:\\WINDOWS\\MEDIA\\DING.WAV");
    EXPECT_STREQ(liveSettings.Csound.Schargefilename, "C:\\WINDOWS\\MEDIA\\TADA.WAV");
    EXPECT_STREQ(liveSettings.Csound.Sdischargefilename, "C:\\WINDOWS\\MEDIA\\CHORD.WAV");
    EXPECT_STREQ(liveSettings.Csound.Slowbatteryfilename, "C:\\WINDOWS\\MEDIA\\CHIMES.WAV");
    EXPECT_STREQ(liveSettings.Csound.Sfullbatteryfilename, "C:\\WINDOWS\\MEDIA\\The Microsoft Sound.wav");
    sim::setWindowsDirectory("C:\\");
    setDefaults(liveSettings);
    EXPECT_STREQ(liveSettings.Csound.Sacbatteryfilename, "C:\\MEDIA\\DING.WAV");
    sim::setWindowsDirectory("");
    setDefaults(liveSettings);
    EXPECT_STREQ(liveSettings.Csound.Sacfilename, "\\MEDIA\\DING.WAV");
}

TEST_F(SettingsRecord, LogTriggerSettersStayExclusive) {
    ClogfileGroup& log = liveSettings.Clogfile;
    setLogByTime(log, 0);
    EXPECT_EQ(log.Sneedsavelogfilebattery, 1);
    setLogByBattery(log, 5);
    EXPECT_EQ(log.Sneedsavelogfilebattery, 5);
    EXPECT_EQ(log.Sneedsavelogfiletime, 0);
    setLogByTime(log, 1);
    EXPECT_EQ(log.Sneedsavelogfilebattery, 0);
    setLogByBattery(log, 0);
    EXPECT_EQ(log.Sneedsavelogfiletime, 1);
}

TEST_F(SettingsRecord, TextSetterTakesNullAndCutsLongTexts) {
    setText(liveSettings.Csound.Sacfilename, nullptr);
    EXPECT_STREQ(liveSettings.Csound.Sacfilename, "");
    std::string longText(400, 'x');
    setText(liveSettings.Csound.Sacfilename, longText.c_str());
    EXPECT_EQ(std::string(liveSettings.Csound.Sacfilename), std::string(259, 'x'));
    EXPECT_EQ(liveSettings.Csound.Sacbatteryfilenameenable, 1);  // the neighbour is untouched
}

TEST_F(SettingsRecord, UnassignedCodesAreStoredUnchanged) {
    EXPECT_TRUE(parseSettingsLine(liveSettings, "Cscreen.Sdisplayitems[2] = 9"));
    EXPECT_EQ(liveSettings.Cscreen.Sdisplayitems[2], 9);
}

}  // namespace
