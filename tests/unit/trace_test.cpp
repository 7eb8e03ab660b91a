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
    traceActivate(1, 2);
    EXPECT_EQ(sim::fileContent(kTrace), "old");
}

TEST_F(Trace, WritesOneLinePerActivationAfterEmptyingTheFile) {
    sim::putFile(kTrace, "old");
    parseCommandLine("C:\\TOOLS\\celwrd.exe -$");
    openTraceFile();
    EXPECT_EQ(sim::fileContent(kTrace), "");
    traceActivate(0x00010002, 0);
    traceActivate(0, 0xABCDEF12);
    traceActivate(0x1234567800000001ULL, 0x1F);
    EXPECT_EQ(sim::fileContent(kTrace),
              "ACTIVATE 00010002 00000000\nACTIVATE 00000000 ABCDEF12\nACTIVATE 00000001 0000001F\n");
}

TEST_F(Trace, AnUnopenableFileStaysSilent) {
    sim::setFileUnavailable(kTrace, true);
    parseCommandLine("C:\\TOOLS\\celwrd.exe -$");
    openTraceFile();
    traceActivate(1, 1);
    EXPECT_FALSE(sim::fileExists(kTrace));
}

}  // namespace
