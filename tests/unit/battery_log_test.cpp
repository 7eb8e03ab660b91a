#include "actions/battery_log.h"

#include <string>

#include "base/text_util.h"
#include "program_test.h"

namespace {

class BatteryLog : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        setText(liveSettings.Clogfile.Slogfilename, "C:\\TOOLS\\CELWRD.LOG");
    }
    std::string view() {
        static char text[kLogViewSize];
        renderLogRing(text, sizeof text);
        return text;
    }
};

TEST_F(BatteryLog, EveryLineReachesRingViewerAndFileInThatOrder) {
    liveSettings.Clogfile.Sneedsavelogfile = 1;
    appendLogLine("first");
    const std::vector<sim::Call>& calls = sim::calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, sim::CallKind::RedrawLogViewer);
    EXPECT_EQ(calls[1].kind, sim::CallKind::WriteFile);
    EXPECT_EQ(calls[1].text2, "first\r\n");
    EXPECT_EQ(logFile(), "first\r\n");
    EXPECT_EQ(sim::openFileCount(), 0);  // never held open between lines
}

TEST_F(BatteryLog, WithFileLoggingOffTheFileIsNeverTouched) {
    logOpenMarker();
    EXPECT_FALSE(sim::fileExists("C:\\TOOLS\\CELWRD.LOG"));
    EXPECT_EQ(view(), "  1: [Open logfile at 2026/01/05  9:00:00]\r\r\n");
    EXPECT_EQ(sim::callsOf(sim::CallKind::RedrawLogViewer).size(), 1u);
}

TEST_F(BatteryLog, MarkersPadTheDateWithZerosAndTheHourWithABlank) {
    sim::setClock(2001, 3, 3, 9, 5, 3);
    logOpenMarker();
    logCloseMarker();
    EXPECT_STREQ(ringLine(1), "[Open logfile at 2001/03/03  9:05:03]");
    EXPECT_STREQ(ringLine(), "[Close logfile at 2001/03/03  9:05:03]");
    EXPECT_EQ(std::string(ringLine(1)).size(), 37u);
}

TEST_F(BatteryLog, TheRingKeepsTheLast128LinesOldestFirst) {
    for (int i = 1; i <= 130; ++i) appendLogLine(("line " + std::to_string(i)).c_str());
    std::string text = view();
    EXPECT_EQ(text.substr(0, 15), "  1: line 3\r\r\n ");
    EXPECT_NE(text.find("128: line 130\r\r\n"), std::string::npos);
    EXPECT_EQ(text.find("129:"), std::string::npos);
    appendLogLine("line 131");
    EXPECT_EQ(view().substr(0, 13), "  1: line 4\r\r");
}

TEST_F(BatteryLog, LongLinesAreCutInTheRingButWholeInTheFile) {
    liveSettings.Clogfile.Sneedsavelogfile = 1;
    std::string longLine(200, 'x');
    appendLogLine(longLine.c_str());
    EXPECT_EQ(std::string(ringLine()).size(), 127u);
    EXPECT_EQ(logFile(), longLine + "\r\n");
    char small[20];
    EXPECT_LT(renderLogRing(small, sizeof small), sizeof small);  // a small buffer is never overrun
}

TEST_F(BatteryLog, AnUnwritableFileLosesNothingElse) {
    liveSettings.Clogfile.Sneedsavelogfile = 1;
    sim::setFileUnavailable("C:\\TOOLS\\CELWRD.LOG", true);  // missing directory, locked, ...
    appendLogLine("kept");
    EXPECT_STREQ(ringLine(), "kept");
    sim::setFileUnavailable("C:\\TOOLS\\CELWRD.LOG", false);
    appendLogLine("next");
    EXPECT_EQ(logFile(), "next\r\n");  // the next line tries again
    setText(liveSettings.Clogfile.Slogfilename, "");
    appendLogLine("nowhere");
    EXPECT_STREQ(ringLine(), "nowhere");
}

// The replay prints "file PATH" from this: only for lines that reached a file.
TEST_F(BatteryLog, TheObserverNamesTheFileOnlyWhenTheLineReachedIt) {
    static std::vector<std::string> seen;
    seen.clear();
    setLogLineObserver([](const char* line, const char* filePath) {
        seen.push_back(std::string(line) + "|" + (filePath ? filePath : "-"));
    });
    appendLogLine("off");
    liveSettings.Clogfile.Sneedsavelogfile = 1;
    appendLogLine("on");
    sim::setFileUnavailable("C:\\TOOLS\\CELWRD.LOG", true);
    appendLogLine("locked");
    setText(liveSettings.Clogfile.Slogfilename, "");
    appendLogLine("unnamed");
    EXPECT_EQ(seen, (std::vector<std::string>{"off|-", "on|C:\\TOOLS\\CELWRD.LOG", "locked|-", "unnamed|-"}));
}

}  // namespace
