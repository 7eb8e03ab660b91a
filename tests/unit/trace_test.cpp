#include "app/trace.h"

#include "app/command_line.h"
#include "sim_test.h"

namespace {

const char* const kTrace = "C:\\TOOLS\\CELWRDDB.LOG";

class Trace : public SimTest {
protected:
    void TearDown() override { closeTraceFile(); }
};

TEST_F(Trace, WithoutTheOptionNothingIsTouched) {
    sim::putFile(kTrace, "old");
    parseCommandLine("C:\\TOOLS\\celwrd.exe");
    openTraceFile();
    traceActivate(1, false, 2);
    EXPECT_EQ(sim::fileContent(kTrace), "old");
}

TEST_F(Trace, WritesOneLinePerActivationAfterEmptyingTheFile) {
    sim::putFile(kTrace, "old");
    parseCommandLine("C:\\TOOLS\\celwrd.exe -$");
    openTraceFile();
    EXPECT_EQ(sim::fileContent(kTrace), "");
    traceActivate(2, true, 0);
    traceActivate(0, false, 0xABCDEF12);
    traceActivate(1, false, 0x123456780000001FULL);
    EXPECT_EQ(sim::fileContent(kTrace),
              "ACTIVATE 00010002 00000000\nACTIVATE 00000000 ABCDEF12\nACTIVATE 00000001 0000001F\n");
}

TEST_F(Trace, AnUnopenableFileStaysSilent) {
    sim::setFileUnavailable(kTrace, true);
    parseCommandLine("C:\\TOOLS\\celwrd.exe -$");
    openTraceFile();
    traceActivate(1, false, 1);
    EXPECT_FALSE(sim::fileExists(kTrace));
}

}  // namespace
