#include "settings/settings_file.h"

#include <cstring>
#include <string>

#include "app/command_line.h"
#include "base/refused_files.h"
#include "settings/settings_keys.h"
#include "sim_test.h"

namespace {

const char* const kIni = "C:\\TOOLS\\celwrd.INI";

class SettingsFile : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        parseCommandLine("C:\\TOOLS\\celwrd.exe");
        for (WindowPlacement& p : dialogPlacements) p = {kUseDefault, kUseDefault, kUseDefault, kUseDefault, 0};
    }
    void readFrom(const std::string& content) {
        sim::putFile(kIni, content);
        readSettingsFile();
    }
};

// The file a fresh installation writes, byte for byte.
const char* const kDefaultFile =
    "WPOS_Dlg_Main = -2147483648,-2147483648,-2147483648,-2147483648,0\r\n"
    "WPOS_Dlg_Sound = -2147483648,-2147483648,-2147483648,-2147483648,0\r\n"
    "WPOS_Dlg_Log = -2147483648,-2147483648,-2147483648,-2147483648,0\r\n"
    "Cscreen.Sdisplayitems[0] = 1\r\n"
    "Cscreen.Sdisplayitems[1] = 2\r\n"
    "Cscreen.Sdisplayitems[2] = 3\r\n"
    "Cscreen.Sdisplayitems[3] = 4\r\n"
    "Cscreen.Sdisplayitems[4] = 5\r\n"
    "Cscreen.Sdisplayinterval = 1000\r\n"
    "Cscreen.Stimeformat = 0\r\n"
    "Cscreen.Shidetaskbar = 0\r\n"
    "Cscreen.Sshowtasktray = 0\r\n"
    "Cbattery.Stimedef1pcharge = 0\r\n"
    "Cbattery.Stimedef1pdischarge = 0\r\n"
    "Cbattery.Sautosetchargetime = 1\r\n"
    "Cbattery.Sautosetdischargetime = 1\r\n"
    "Cbattery.Scheckinterval = 1000\r\n"
    "Clogfile.Sneedsavelogfile = 0\r\n"
    "Clogfile.Sneedsavelogfiletime = 0\r\n"
    "Clogfile.Sneedsavelogfilebattery = 1\r\n"
    "Clogfile.Soutputinterval = 60000\r\n"
    "Clogfile.Slogfilename = \r\n"
    "Csound.Sacfilename = C:\\WINDOWS\\MEDIA\\DING.WAV\r\n"
    "Csound.Sacbatteryfilename = C:\\WINDOWS\\MEDIA\\DING.WAV\r\n"
    "Csound.Schargefilename = C:\\WINDOWS\\MEDIA\\TADA.WAV\r\n"
    "Csound.Sdischargefilename = C:\\WINDOWS\\MEDIA\\CHORD.WAV\r\n"
    "Csound.Sfullbatteryfilename = C:\\WINDOWS\\MEDIA\\The Microsoft Sound.wav\r\n"
    "Csound.Slowbatteryfilename = C:\\WINDOWS\\MEDIA\\CHIMES.WAV\r\n"
    "Csound.Sfullbatteryperc = 95\r\n"
    "Csound.Slowbatteryperc = 20\r\n"
    "Csound.Sacfilenameenable = 1\r\n"
    "Csound.Sacbatteryfilenameenable = 1\r\n"
    "Csound.Schargefilenameenable = 1\r\n"
    "Csound.Sdischargefilenameenable = 1\r\n"
    "Csound.Sfullbatteryfilenameenable = 1\r\n"
    "Csound.Slowbatteryfilenameenable = 1\r\n"
    "Cmanip.Sneedsaveoptionsystem = 1\r\n"
    "Cmanip.Sasksuspendok = 0\r\n";

TEST_F(SettingsFile, WritesTheThirtyEightLinesBesideTheProgram) {
    ASSERT_TRUE(writeSettingsFile());
    EXPECT_EQ(sim::fileContent(kIni), kDefaultFile);
    EXPECT_EQ(sim::filePaths().size(), 1u);  // the temporary file is gone
    EXPECT_EQ(sim::openFileCount(), 0);
}

TEST_F(SettingsFile, EveryValueSurvivesWriteThenRead) {
    Settings& live = liveSettings;
    int n = 0;
    const int32_t extremes[] = {INT32_MIN, INT32_MAX, -1, 0, 7, -2000000000, 2000000000};
    for (const SettingKey& row : settingKeys) {
        if (row.intField) {
            *row.intField(live) = extremes[n % 7] + (n % 7 > 1 ? n : 0);
        } else {
            std::string text = "  " + std::to_string(n) + std::string(250, 'a' + n % 26) + "  ";
            text.resize(259, ' ');
            copyText(row.textField(live), kNameSize, text.c_str());
        }
        ++n;
    }
    for (int i = 0; i < kDialogCount; ++i) dialogPlacements[i] = {INT32_MIN, INT32_MAX, -i, i, -1};
    Settings written = live;
    ASSERT_TRUE(writeSettingsFile());
    ASSERT_EQ(dialogPlacements[kMainDialog].state, 4);  // Shidetaskbar is nonzero here
    // The health window's place is the run's alone: not in the file.
    WindowPlacement placements[kSavedDialogCount];
    memcpy(placements, dialogPlacements, sizeof placements);

    setDefaults(live);
    for (WindowPlacement& p : dialogPlacements) p = {};
    readSettingsFile();
    for (const SettingKey& row : settingKeys) {
        if (row.intField) EXPECT_EQ(*row.intField(live), *row.intField(written)) << row.key;
        else EXPECT_STREQ(row.textField(live), row.textField(written)) << row.key;
    }
    EXPECT_EQ(memcmp(placements, dialogPlacements, sizeof placements), 0);
    EXPECT_EQ(dialogPlacements[kHealthDialog].x, 0);
    EXPECT_EQ(backupSettings.Csound.Slowbatteryperc, written.Csound.Slowbatteryperc);
}

TEST_F(SettingsFile, ReaderEdgeCases) {
    readFrom(
        "Cscreen.Sdisplayitems[0]   =   3\n"
        "Cscreen.Sdisplayitems[1]= 4\n"
        "cscreen.sdisplayitems[2] = 4\n"
        " Cscreen.Sdisplayitems[3] = 4\n"
        "Csound.Sacfilename = C:\\My Sounds\\a.wav\r\n"
        "Csound.Sacbatteryfilename = \n"
        "Csound.Schargefilename =C:\\a.wav\n"
        "Csound.Sdischargefilename =\n"
        "WPOS_Dlg_Log = 10,20\n"
        "WPOS_Dlg_Sound = 1, 2 ,3,4,5\n"
        "Cscreen.Stimeformat = x\n"
        "Cscreen.Sdisplayinterval = -250ms\n"
        "Cbattery.Scheckinterval = 99999999999\n"
        "Csound.Sfullbatteryperc = 80\n"
        "Csound.Sfullbatteryperc = 90\n"
        "# comment\n"
        "\n"
        "[section]\n"
        "Cmanip.Sasksuspendok = 1");  // no line end on the last line
    const Settings& s = liveSettings;
    EXPECT_EQ(s.Cscreen.Sdisplayitems[0], 3);
    EXPECT_EQ(s.Cscreen.Sdisplayitems[1], 2);
    EXPECT_EQ(s.Cscreen.Sdisplayitems[2], 3);
    EXPECT_EQ(s.Cscreen.Sdisplayitems[3], 4);
    EXPECT_STREQ(s.Csound.Sacfilename, "C:\\My Sounds\\a.wav");
    EXPECT_STREQ(s.Csound.Sacbatteryfilename, "");
    EXPECT_STREQ(s.Csound.Schargefilename, ":\\a.wav");
    EXPECT_STREQ(s.Csound.Sdischargefilename, "");
    EXPECT_EQ(dialogPlacements[kLogDialog].x, 10);
    EXPECT_EQ(dialogPlacements[kLogDialog].y, 20);
    EXPECT_EQ(dialogPlacements[kLogDialog].width, 0);
    EXPECT_EQ(dialogPlacements[kLogDialog].state, 0);
    EXPECT_EQ(dialogPlacements[kSoundDialog].y, 2);
    EXPECT_EQ(dialogPlacements[kSoundDialog].width, 0);  // " ,3" stops the scan
    EXPECT_EQ(dialogPlacements[kMainDialog].x, kUseDefault);
    EXPECT_EQ(s.Cscreen.Stimeformat, 0);  // not a number: unchanged
    EXPECT_EQ(s.Cscreen.Sdisplayinterval, -250);
    EXPECT_EQ(s.Cbattery.Scheckinterval, INT32_MAX);
    EXPECT_EQ(s.Csound.Sfullbatteryperc, 90);
    EXPECT_EQ(s.Cmanip.Sasksuspendok, 1);
}

TEST_F(SettingsFile, LongLinesArriveInPiecesAndTextsAreCut) {
    std::string longValue(2000, 'v');
    readFrom("Clogfile.Slogfilename = " + longValue + "\n" + std::string(1023 - 19, 'x') +
             "Cmanip.Sasksuspendok = 1\n");
    EXPECT_EQ(std::string(liveSettings.Clogfile.Slogfilename), std::string(259, 'v'));
    EXPECT_EQ(liveSettings.Cmanip.Sasksuspendok, 0);  // inside the second piece, not at a line start
    readFrom(std::string(1023, 'x') + "Cmanip.Sasksuspendok = 1\n");
    EXPECT_EQ(liveSettings.Cmanip.Sasksuspendok, 1);  // the second piece starts with the key
}

TEST_F(SettingsFile, MissingFileChangesNothing) {
    liveSettings.Csound.Slowbatteryperc = 33;
    readSettingsFile();
    EXPECT_EQ(liveSettings.Csound.Slowbatteryperc, 33);
    EXPECT_EQ(backupSettings.Csound.Slowbatteryperc, 20);
    sim::putFile(kIni, "Csound.Slowbatteryperc = 44\n");
    sim::setFileUnavailable(kIni, true);
    readSettingsFile();
    EXPECT_EQ(liveSettings.Csound.Slowbatteryperc, 33);
}

TEST_F(SettingsFile, HiddenTaskbarSavesTheMainWindowAsHidden) {
    liveSettings.Cscreen.Shidetaskbar = 1;
    dialogPlacements[kMainDialog] = {1, 2, 3, 4, 1};
    writeSettingsFile();
    EXPECT_EQ(dialogPlacements[kMainDialog].state, 4);
    EXPECT_EQ(sim::fileContent(kIni).substr(0, 26), "WPOS_Dlg_Main = 1,2,3,4,4\r");
}

TEST_F(SettingsFile, AFailedWriteKeepsTheOldFileWhole) {
    sim::putFile(kIni, "Csound.Slowbatteryperc = 44\r\n");
    sim::setFileWriteLimit("C:\\TOOLS\\~cw100001", 100);  // the disk fills up
    liveSettings.Csound.Slowbatteryperc = 55;
    EXPECT_FALSE(writeSettingsFile());
    EXPECT_EQ(sim::fileContent(kIni), "Csound.Slowbatteryperc = 44\r\n");
    EXPECT_EQ(sim::filePaths().size(), 1u);  // the temporary is gone

    sim::setFileUnavailable(kIni, true);  // read-only or locked
    EXPECT_FALSE(writeSettingsFile());
    sim::setFileUnavailable(kIni, false);
    EXPECT_EQ(sim::fileContent(kIni), "Csound.Slowbatteryperc = 44\r\n");
    EXPECT_EQ(sim::filePaths().size(), 1u);

    EXPECT_TRUE(writeSettingsFile());
    readSettingsFile();
    EXPECT_EQ(liveSettings.Csound.Slowbatteryperc, 55);
}

TEST_F(SettingsFile, AFileSomeoneElseCouldHaveWrittenIsNeitherReadNorSavedOver) {
    const std::string planted = "Clogfile.Slogfilename = C:\\Users\\me\\startup.bat\r\n";
    sim::putFile(kIni, planted);
    sim::setFileTrusted(kIni, false);
    EXPECT_FALSE(readSettingsFile());
    EXPECT_STREQ(liveSettings.Clogfile.Slogfilename, "");
    EXPECT_FALSE(writeSettingsFile());
    EXPECT_EQ(sim::fileContent(kIni), planted);
    // Told once, at once on the diagnostics line, by a box once there is a window.
    readSettingsFile();
    ASSERT_EQ(sim::callsOf(sim::CallKind::LogProblem).size(), 1u);
    EXPECT_NE(sim::callsOf(sim::CallKind::LogProblem)[0].text.find(kIni), std::string::npos);
    EXPECT_TRUE(sim::callsOf(sim::CallKind::ShowMessage).empty());
    simui::setMainWindow(1);
    showRefusedFileNotices();
    showRefusedFileNotices();
    EXPECT_EQ(sim::callsOf(sim::CallKind::ShowMessage).size(), 1u);
    EXPECT_EQ(sim::openFileCount(), 0);
}

TEST_F(SettingsFile, ControlCharactersNeverEnterATextSetting) {
    readFrom("Csound.Sacfilename = a.wav\tClogfile.Slogfilename = x\n"
             "Csound.Schargefilename = C:\\c.wav\r\r\n"
             "Csound.Sdischargefilename = C:\\d.wav\n");
    EXPECT_STREQ(liveSettings.Csound.Sacfilename, "C:\\WINDOWS\\MEDIA\\DING.WAV");
    EXPECT_STREQ(liveSettings.Csound.Schargefilename, "C:\\WINDOWS\\MEDIA\\TADA.WAV");
    EXPECT_STREQ(liveSettings.Csound.Sdischargefilename, "C:\\d.wav");
    EXPECT_FALSE(setText(liveSettings.Clogfile.Slogfilename, "a.log\nCmanip.Sasksuspendok = 1"));
    EXPECT_STREQ(liveSettings.Clogfile.Slogfilename, "");
}

TEST_F(SettingsFile, SavingFollowsTheSaveSwitch) {
    liveSettings.Cmanip.Sneedsaveoptionsystem = 0;
    saveSettingsIfEnabled();
    EXPECT_FALSE(sim::fileExists(kIni));
    liveSettings.Cmanip.Sneedsaveoptionsystem = 1;
    saveSettingsIfEnabled();
    EXPECT_TRUE(sim::fileExists(kIni));
}

TEST_F(SettingsFile, ProgramWithoutDirectoryUsesARelativeName) {
    parseCommandLine("celwrd");
    char path[kPathSize];
    settingsFilePath(path);
    EXPECT_STREQ(path, "celwrd.INI");
    parseCommandLine("C:\\TOOLS\\my.tool.exe");
    settingsFilePath(path);
    EXPECT_STREQ(path, "C:\\TOOLS\\my.INI");
}

}  // namespace
