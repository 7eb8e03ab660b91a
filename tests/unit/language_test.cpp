#include "base/language.h"

#include <string>

#include "app/command_line.h"
#include "sim_test.h"

namespace {

class LanguageChoice : public SimTest {};

// The option is found as the program splits its command line, and the
// command line's own reading gives the same program path, directory and
// flags with it as without it.
TEST_F(LanguageChoice, OptionLeavesTheCommandLineAsItWas) {
    struct Row {
        const char* line;
        const char* without;  // the same line without the option
        int found;
        Language language;
    } rows[] = {
        {"celwrd.exe --lang en", "celwrd.exe", 1, Language::English},
        {"celwrd.exe --lang=ja -A", "celwrd.exe -A", 1, Language::Japanese},
        {"\"C:\\Program Files\\C w\\celwrd.exe\" -$ --lang \"en\" -a", "\"C:\\Program Files\\C w\\celwrd.exe\" -$ -a",
         1, Language::English},
        {"celwrd.exe --lang ja --lang=en", "celwrd.exe", 1, Language::English},  // the last counts
        {"celwrd.exe --lang", "celwrd.exe", -1, Language::Japanese},
        {"celwrd.exe --lang -A", "celwrd.exe -A", -1, Language::Japanese},  // -A is no language, and still -A
        {"celwrd.exe --lang=EN", "celwrd.exe", -1, Language::Japanese},
        {"celwrd.exe --lang=english", "celwrd.exe", -1, Language::Japanese},
        {"celwrd.exe --language en -$", "celwrd.exe -$", 0, Language::Japanese},
        {"celwrd.exe -lang en", "celwrd.exe", 0, Language::Japanese},
        {"celwrd.exe", "celwrd.exe", 0, Language::Japanese},
        {"", "", 0, Language::Japanese},
    };
    for (const Row& row : rows) {
        Language language = Language::Japanese;
        EXPECT_EQ(languageOption(row.line, &language), row.found) << row.line;
        EXPECT_EQ(language, row.language) << row.line;

        const int count = parseCommandLine(row.without);
        const std::string path = count ? arguments[0] : "";
        const std::string folder = programDirectory;
        const int trace = traceEnabled, exit = autoExit;
        EXPECT_GE(parseCommandLine(row.line), count) << row.line;
        EXPECT_EQ(count ? arguments[0] : "", path) << row.line;
        EXPECT_EQ(programDirectory, folder) << row.line;
        EXPECT_EQ(traceEnabled, trace) << row.line;
        EXPECT_EQ(autoExit, exit) << row.line;
    }
    Language language = Language::English;
    EXPECT_EQ(languageOption(nullptr, &language), 0);
    // A long word is cut, never copied past its buffer.
    const std::string longWord = "celwrd.exe --lang=" + std::string(5000, 'e') + "n";
    EXPECT_EQ(languageOption(longWord.c_str(), &language), -1);
    EXPECT_EQ(language, Language::English);
}

TEST_F(LanguageChoice, FirstSetLocaleVariableDecides) {
    using L = Language;
    struct Row {
        const char* language;
        const char* all;
        const char* messages;
        const char* lang;
        L expected;
    } rows[] = {
        {nullptr, nullptr, nullptr, nullptr, L::Japanese},  // nothing set: the program's own
        {nullptr, nullptr, nullptr, "ja_JP.UTF-8", L::Japanese},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", L::English},
        {nullptr, nullptr, nullptr, "de_DE", L::English},
        {nullptr, nullptr, nullptr, "C", L::Japanese},
        {nullptr, nullptr, nullptr, "C.UTF-8", L::Japanese},
        {nullptr, nullptr, nullptr, "POSIX", L::Japanese},
        {nullptr, nullptr, nullptr, "Ca_ES", L::English},
        {"", "", "", "en_GB.UTF-8", L::English},  // empty is not set
        {"en_GB:ja", nullptr, nullptr, "ja_JP.UTF-8", L::English},
        {"ja:en", "en_US.UTF-8", nullptr, nullptr, L::Japanese},
        {nullptr, "ja_JP.eucJP", "en_US.UTF-8", "en_US.UTF-8", L::Japanese},
        {nullptr, "C", "en_US.UTF-8", nullptr, L::Japanese},
        {nullptr, nullptr, "fr_FR.UTF-8", "ja_JP.UTF-8", L::English},
    };
    for (const Row& row : rows) {
        const char* const values[4] = {row.language, row.all, row.messages, row.lang};
        EXPECT_EQ(languageOfLocale(values), row.expected)
            << (row.language ? row.language : "-") << ' ' << (row.all ? row.all : "-") << ' '
            << (row.messages ? row.messages : "-") << ' ' << (row.lang ? row.lang : "-");
    }
}

TEST_F(LanguageChoice, WindowsUiLanguage) {
    EXPECT_EQ(languageOfLangId(0x0411), Language::Japanese);  // ja-JP
    EXPECT_EQ(languageOfLangId(0x0011), Language::Japanese);  // Japanese, no sublanguage
    EXPECT_EQ(languageOfLangId(0x0409), Language::English);   // en-US
    EXPECT_EQ(languageOfLangId(0x0809), Language::English);   // en-GB
    EXPECT_EQ(languageOfLangId(0x0407), Language::English);   // de-DE
    EXPECT_EQ(languageOfLangId(0x0412), Language::English);   // ko-KR
    EXPECT_EQ(languageOfLangId(0x0000), Language::English);
}

}  // namespace
