// The window operations: safe with no front end connected, tray tips cut
// safely for one that is, help found beside the program or in its package.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/linux/linux_platform.h"
#include "test_files.h"

namespace {

struct FakeFrontEnd {
    static inline std::vector<std::string> calls;

    static constexpr WindowHandle kWindow = 0x42;

    static LinuxFrontEnd hooks() {
        LinuxFrontEnd h{};
        h.mainWindow = [] { return kWindow; };
        h.trayAdd = [](WindowHandle, int icon, const char* tip) {
            calls.push_back("add " + std::to_string(icon) + " " + tip);
            return true;
        };
        h.trayModify = [](WindowHandle, int, const char* tip) {
            calls.push_back(std::string("modify ") + tip);
            return true;
        };
        h.openPage = [](const char* path) {
            calls.push_back(std::string("page ") + path);
            return true;
        };
        return h;
    }
};

class FrontEnd : public testing::Test {
protected:
    void SetUp() override {
        FakeFrontEnd::calls.clear();
    }
    void TearDown() override { linuxConnect(LinuxFrontEnd{}); }
};

TEST_F(FrontEnd, WithNothingConnectedEveryOperationIsSafeAndSaysNo) {
    linuxConnect(LinuxFrontEnd{});
    EXPECT_EQ(platformMainWindow(), 0u);
    platformSetCaption(1, "x");
    platformSetClassIcon(1, 3);
    EXPECT_FALSE(platformTrayAdd(1, 3, "tip"));
    EXPECT_FALSE(platformTrayModify(1, 3, "tip"));
    platformTrayDelete(1);
    EXPECT_FALSE(platformIsMinimisedAndVisible(1));
    platformHideWindow(1);
    EXPECT_FALSE(platformAskYesNo("q", "c"));
    platformShowMessage("m", "c");
    platformOpenHelp("/tmp/celwrd.HLP");
    platformRedrawLogViewer();
    platformEndMainDialog();
}

TEST_F(FrontEnd, TrayTipsAreCutTo63BytesOnACharacterBoundary) {
    linuxConnect(FakeFrontEnd::hooks());
    const struct {
        std::string tip, handed;
    } cases[] = {
        {"", ""},
        {std::string(63, 'a'), std::string(63, 'a')},
        {std::string(64, 'a'), std::string(63, 'a')},
        // 21 three-byte characters fill 63 bytes exactly; a 22nd is dropped whole.
        {[] { std::string s; for (int i = 0; i < 22; ++i) s += "電"; return s; }(),
         [] { std::string s; for (int i = 0; i < 21; ++i) s += "電"; return s; }()},
        // 62 bytes and a character that does not fit after them.
        {std::string(62, 'a') + "電", std::string(62, 'a')},
    };
    for (const auto& c : cases) {
        FakeFrontEnd::calls.clear();
        ASSERT_TRUE(platformTrayAdd(FakeFrontEnd::kWindow, 5, c.tip.c_str()));
        ASSERT_TRUE(platformTrayModify(FakeFrontEnd::kWindow, 5, c.tip.c_str()));
        EXPECT_EQ(FakeFrontEnd::calls, (std::vector<std::string>{"add 5 " + c.handed, "modify " + c.handed}))
            << c.tip.size();
    }
    char small[4];
    cutTrayTip("電電", small, sizeof small);
    EXPECT_STREQ(small, "電");
}

TEST_F(FrontEnd, HelpOpensThePageBesideTheHelpFileWhenItExists) {
    linuxConnect(FakeFrontEnd::hooks());
    ScratchDirectory dir;
    platformOpenHelp((dir / "celwrd.HLP").c_str());
    EXPECT_TRUE(FakeFrontEnd::calls.empty());
    writeWholeFile(dir / "celwrd.html", "<p>");
    platformOpenHelp((dir / "celwrd.HLP").c_str());
    platformOpenHelp((dir.path() + "/" + std::string(5000, 'h') + ".HLP").c_str());
    EXPECT_EQ(FakeFrontEnd::calls, (std::vector<std::string>{"page " + (dir / "celwrd.html")}));
}

TEST_F(FrontEnd, AnInstalledProgramOpensThePageOfItsPackage) {
    linuxConnect(FakeFrontEnd::hooks());
    ScratchDirectory prefix;
    std::filesystem::create_directories(prefix.path() + "/bin");
    std::filesystem::create_directories(prefix.path() + "/share/doc/cellwarden");
    writeWholeFile(prefix / "share/doc/cellwarden/celwrd.html", "<p>");
    platformOpenHelp((prefix / "bin/celwrd.HLP").c_str());
    EXPECT_EQ(FakeFrontEnd::calls,
              (std::vector<std::string>{"page " + prefix.path() + "/bin/../share/doc/cellwarden/celwrd.html"}));
}

}  // namespace
