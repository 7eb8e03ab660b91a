#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/language.h"
#include "base/texts.h"
#include "rc_dialogs.h"
#include "test_support.h"
#include "ui/layout/text_table.h"

namespace {

// The table the build compiled is the script's, row for row, and text()
// gives each language's row.
TEST(RcTexts, CompiledTableIsTheScriptsInBothLanguages) {
    const std::string script = readTestFile(STRINGS_RC_PATH);
    std::vector<RcText> texts;
    RcError error{};
    ASSERT_TRUE(parseRcTexts(script.data(), script.size(), texts, error)) << error.line << ": " << error.message;
    ASSERT_EQ(texts.size(), static_cast<size_t>(IDS_COUNT));
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(texts[i].id);
        EXPECT_EQ(kTextTable[0][i], texts[i].japanese);
        EXPECT_EQ(kTextTable[1][i], texts[i].english);
        const int id = IDS_FIRST + static_cast<int>(i);
        setProgramLanguage(Language::English);
        EXPECT_STREQ(text(id), texts[i].english.c_str());
        setProgramLanguage(Language::Japanese);
        EXPECT_STREQ(text(id), texts[i].japanese.c_str());
    }
    EXPECT_STREQ(text(IDS_FIRST - 1), "");
    EXPECT_STREQ(text(IDS_FIRST + IDS_COUNT), "");
    // The Japanese words stay as they always were.
    EXPECT_STREQ(text(IDS_ITEM_TIME_LEFT), "充放電終了残り時間");
    EXPECT_STREQ(text(IDS_VERSION_TEXT), "Cellwarden 「Tamberlo」\nVoltarium\nV1.05A\nBuild 1999/07/12");
}

TEST(RcTexts, BothLanguagesOrNone) {
    const std::string head = "#include \"resource_ids.h\"\nLANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n";
    const std::string english = "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n";
    struct Row {
        std::string script;
        int line;  // of the error; 0: none
        const char* message;
    } rows[] = {
        {head + "STRINGTABLE\nBEGIN\n IDS_A, \"あ\"\n IDS_B \"い\"\nEND\n" + english +
             "STRINGTABLE\nBEGIN\n IDS_B, \"b\"\n IDS_A, \"\"\"a\"\"\\n\"\nEND\n",
         0, ""},
        {head + "STRINGTABLE\nBEGIN\n IDS_A, \"あ\"\n IDS_B, \"い\"\nEND\n" + english +
             "STRINGTABLE\nBEGIN\n IDS_A, \"a\"\nEND\n",
         6, "IDS_B has no English text"},
        {head + "STRINGTABLE\nBEGIN\n IDS_A, \"あ\"\nEND\n" + english +
             "STRINGTABLE\nBEGIN\n IDS_A, \"a\"\n IDS_C, \"c\"\nEND\n",
         11, "IDS_C has an English text but no Japanese one"},
        {head + "STRINGTABLE\nBEGIN\n IDS_A, \"あ\"\nEND\n" + english + "STRINGTABLE\nBEGIN\n IDS_A, \"ｱ(&A)\"\nEND\n",
         10, "the English text of IDS_A holds Japanese"},
        {head + "STRINGTABLE\nBEGIN\n IDS_A, \"あ\"\nEND\n" + english + "STRINGTABLE\nBEGIN\n IDS_A, \"a\"\n IDS_A, \"b\"\nEND\n",
         11, "IDS_A is in the English table twice"},
        {head + "STRINGTABLE\nBEGIN\n IDS_A, \"あ\"\n IDS_A, \"い\"\nEND\n", 6, "IDS_A is in the Japanese table twice"},
        {"LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL\nSTRINGTABLE\nBEGIN\n IDS_A, \"a\"\nEND\n", 2,
         "a STRINGTABLE must stand under LANGUAGE LANG_JAPANESE or LANG_ENGLISH"},
        {head + "STRINGTABLE\nBEGIN\n 2000, \"あ\"\nEND\n", 5, "a text is named by an IDS_ id of resource_ids.h"},
        {head + "STRINGTABLE\nBEGIN\n IDS_A, \"あ\"\n", 3, "the STRINGTABLE has no END"},
        {head + "STRINGTABLE\nBEGIN\n IDS_A, \"あ\" \"い\"\nEND\n", 5, "unexpected a string"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        std::vector<RcText> texts;
        RcError error{};
        const bool parsed = parseRcTexts(row.script.data(), row.script.size(), texts, error);
        if (row.line == 0) {
            ASSERT_TRUE(parsed) << error.line << ": " << error.message;
            ASSERT_EQ(texts.size(), 2u);
            EXPECT_EQ(texts[0].id, "IDS_A");
            EXPECT_EQ(texts[0].english, "\"a\"\n");
            EXPECT_EQ(texts[1].japanese, "い");
            EXPECT_EQ(texts[1].english, "b");
            continue;
        }
        EXPECT_FALSE(parsed);
        EXPECT_EQ(error.line, row.line);
        EXPECT_EQ(error.message.compare(0, strlen(row.message), row.message), 0) << error.message;
    }
}

}  // namespace

namespace {

// The letter after a single '&', upper case; 0 without one.
char accessKey(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        const char c = text[i + 1];
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return 0;
}

// The English templates are the Japanese ones in other words: the same
// controls of the same kinds in the same (tab) order, each with an access
// key where the Japanese one has one, and no key twice in a dialog.
TEST(RcTexts, EnglishTemplatesMatchTheJapaneseWithUniqueAccessKeys) {
    const std::string script = readTestFile(CELWRD_RC_PATH);
    RcDialog japanese[kDialogCount], english[kDialogCount];
    RcError error{};
    ASSERT_TRUE(parseRcDialogs(script.data(), script.size(), japanese, error)) << error.line << ": " << error.message;
    ASSERT_TRUE(parseRcDialogs(script.data(), script.size(), english, error, true)) << error.line << ": " << error.message;
    for (int which = 0; which < kDialogCount; ++which) {
        SCOPED_TRACE(kRcDialogNames[which]);
        const RcDialog& ja = japanese[which];
        const RcDialog& en = english[which];
        EXPECT_EQ(en.style, ja.style);
        EXPECT_EQ(en.exStyle, ja.exStyle);
        EXPECT_GE(en.width, ja.width);
        EXPECT_GE(en.height, ja.height);
        ASSERT_EQ(en.controls.size(), ja.controls.size());
        std::string keys;
        for (size_t i = 0; i < en.controls.size(); ++i) {
            const RcControl& j = ja.controls[i];
            const RcControl& e = en.controls[i];
            SCOPED_TRACE(e.id + " " + e.text);
            EXPECT_EQ(e.id, j.id);
            EXPECT_EQ(e.kind, j.kind);
            EXPECT_EQ(e.style, j.style);
            EXPECT_EQ(accessKey(e.text) != 0, accessKey(j.text) != 0);
            if (const char key = accessKey(e.text)) {
                EXPECT_EQ(keys.find(key), std::string::npos) << "the access key " << key << " is there twice";
                keys += key;
            }
        }
    }
}

}  // namespace
