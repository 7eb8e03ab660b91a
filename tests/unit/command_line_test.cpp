#include "app/command_line.h"

#include <string>

#include "sim_test.h"

namespace {

class CommandLine : public SimTest {};

TEST_F(CommandLine, QuotedPathWithBlanks) {
    ASSERT_EQ(parseCommandLine("\"C:\\Program Files\\Cell warden\\celwrd.exe\" -A"), 1);
    EXPECT_STREQ(arguments[0], "C:\\Program Files\\Cell warden\\celwrd.exe");
    EXPECT_STREQ(programDirectory, "C:\\Program Files\\Cell warden\\");
    EXPECT_EQ(autoExit, 1);
    EXPECT_EQ(traceEnabled, 0);
    char base[kPathSize];
    programBaseName(base);
    EXPECT_STREQ(base, "celwrd");
}

TEST_F(CommandLine, OptionsAnywhereAreNeverArguments) {
    struct Row {
        const char* line;
        int count;
        int trace, autoExit;
    } rows[] = {
        {"celwrd.exe", 1, 0, 0},
        {"-$ celwrd.exe", 1, 1, 0},
        {"celwrd.exe -a", 1, 0, 1},
        {"celwrd.exe -$A", 1, 1, 0},  // further letters in the word are ignored
        {"celwrd.exe -Aq -$", 1, 1, 1},
        {"celwrd.exe -Q -x - -", 1, 0, 0},
        {"  celwrd.exe\t\tmore   args ", 3, 0, 0},
        {"", 0, 0, 0},
        {"   ", 0, 0, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(parseCommandLine(row.line), row.count) << row.line;
        EXPECT_EQ(traceEnabled, row.trace) << row.line;
        EXPECT_EQ(autoExit, row.autoExit) << row.line;
    }
}

TEST_F(CommandLine, QuotesSwitchBlanksOffAndStayInside) {
    ASSERT_EQ(parseCommandLine("a\"b c\"d e \""), 3);
    EXPECT_STREQ(arguments[0], "a\"b c\"d");
    EXPECT_STREQ(arguments[1], "e");
    EXPECT_STREQ(arguments[2], "\"");  // a lone quote is not a quoted argument
    ASSERT_EQ(parseCommandLine("x \"\" \"a b\""), 3);
    EXPECT_STREQ(arguments[1], "");
    EXPECT_STREQ(arguments[2], "a b");
    ASSERT_EQ(parseCommandLine("\"Z:\\tmp\\d\\celwrd.exe\""), 1);
    EXPECT_STREQ(programDirectory, "Z:\\tmp\\d\\");
}

TEST_F(CommandLine, JapanesePathIsNotCut) {
    // C:\ソフト\celwrd.exe in Shift-JIS, unquoted.
    ASSERT_EQ(parseCommandLine("C:\\\x83\x5C\x83\x74\x83\x67\\celwrd.exe -A"), 1);
    EXPECT_STREQ(arguments[0], "C:\\\x83\x5C\x83\x74\x83\x67\\celwrd.exe");
    EXPECT_STREQ(programDirectory, "C:\\\x83\x5C\x83\x74\x83\x67\\");
    EXPECT_EQ(autoExit, 1);
}

TEST_F(CommandLine, ADirectoryTooLongToHoldIsAFailure) {
    std::string line = "C:\\" + std::string(300, 'd') + "\\celwrd.exe";
    EXPECT_EQ(parseCommandLine(line.c_str()), 0);
    EXPECT_EQ(parseCommandLine((line + " " + line).c_str()), 0);  // only the first one counts
    EXPECT_EQ(parseCommandLine(("celwrd.exe " + line).c_str()), 2);
    // A base name that does not fit would make the settings file "C:\.INI".
    EXPECT_EQ(parseCommandLine(("C:\\" + std::string(270, 'n') + ".exe").c_str()), 0);
    EXPECT_EQ(parseCommandLine(("C:\\" + std::string(150, 'd') + "\\" + std::string(150, 'n') + ".exe").c_str()), 0);
}

TEST_F(CommandLine, TheLastArgumentSlotKeepsTheRestOfTheLine) {
    std::string line;
    for (int i = 0; i < 300; ++i) line += "a" + std::to_string(i) + " ";
    ASSERT_EQ(parseCommandLine(line.c_str()), kMaxArguments);
    EXPECT_STREQ(arguments[254], "a254");
    EXPECT_EQ(std::string(arguments[255]).substr(0, 10), "a255 a256 ");
    EXPECT_STREQ(programDirectory, "");
}

}  // namespace
