#include "rc_dialogs.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

bool parse(const std::string& text, RcDialog (&dialogs)[kDialogCount], RcError& error) {
    return parseRcDialogs(text.data(), text.size(), dialogs, error);
}

const RcControl* byId(const RcDialog& dialog, const std::string& id) {
    for (const RcControl& control : dialog.controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

class RealScript : public ::testing::Test {
protected:
    void SetUp() override {
        std::string text = readTestFile(CELWRD_RC_PATH);
        ASSERT_FALSE(text.empty());
        RcError error{};
        ASSERT_TRUE(parse(text, dialogs, error)) << error.line << ": " << error.message;
    }
    // The control with `id`, which must be there.
    const RcControl& control(DialogId which, const std::string& id) {
        const RcControl* found = byId(dialogs[which], id);
        EXPECT_NE(found, nullptr) << id;
        static const RcControl none{};
        return found ? *found : none;
    }
    RcDialog dialogs[kDialogCount];
};

TEST_F(RealScript, TemplatesInDialogIdOrderWithTheirFrames) {
    // Styles as windres writes them into celwrd.res.
    struct Row {
        const char* name;
        int x, y, width, height;
        uint32_t style, exStyle;
        const char *caption, *font;
        size_t controls;
    } rows[] = {
        {"VMID_Dlg_Main", 6, 16, 214, 259, 0x10C80040, 0, "Cellwarden", "ＭＳ Ｐゴシック", 37},
        {"VMID_Dlg_Sound", 6, 15, 296, 97, 0x90C800C0, 0x1, "ｻｳﾝﾄﾞﾌｧｲﾙの設定", "ＭＳ Ｐゴシック", 36},
        {"VMID_Dlg_Log", 6, 15, 400, 100, 0x10CC0040, 0, "ﾛｸﾞ", "ＭＳ ゴシック", 1},
        {"VMID_Dlg_Health", 6, 15, 262, 236, 0x10CA0040, 0, "ﾊﾞｯﾃﾘｰの状態", "ＭＳ Ｐゴシック", 4},
    };
    for (int which = 0; which < kDialogCount; ++which) {
        const Row& row = rows[which];
        const RcDialog& d = dialogs[which];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(d.name, row.name);
        EXPECT_EQ((std::vector<int>{d.x, d.y, d.width, d.height}), (std::vector<int>{row.x, row.y, row.width, row.height}));
        EXPECT_EQ(d.style, row.style);
        EXPECT_EQ(d.exStyle, row.exStyle);
        EXPECT_EQ(d.caption, row.caption);
        EXPECT_EQ(d.fontPoints, 9);
        EXPECT_EQ(d.fontFace, row.font);
        EXPECT_EQ(d.controls.size(), row.controls);
    }
}

TEST_F(RealScript, StylesAsTheResourceCompilerStoresThem) {
    // The continued statement read whole; windres's very value.
    const RcControl& log = control(kLogDialog, "IDC_LOG_TEXT");
    EXPECT_EQ(log.kind, ControlKind::Edit);
    EXPECT_EQ(log.style, 0x50B11804u);
    EXPECT_EQ(log.width, 393);

    // One tab stop for the radio pair, which the edit after it closes.
    const RcControl& byTime = control(kMainDialog, "IDC_LOG_BY_TIME");
    const RcControl& byBattery = control(kMainDialog, "IDC_LOG_BY_BATTERY");
    EXPECT_EQ(byTime.style & (kLayoutGroup | kLayoutTabStop), kLayoutGroup | kLayoutTabStop);
    EXPECT_EQ(byBattery.style & (kLayoutGroup | kLayoutTabStop), 0u);
    EXPECT_EQ(byBattery.kind, ControlKind::RadioButton);
    const RcControl& interval = control(kMainDialog, "IDC_LOG_INTERVAL");
    EXPECT_EQ(interval.style & (kLayoutGroup | kLayoutTabStop | kLayoutBorder | kLayoutEditRight),
              kLayoutGroup | kLayoutTabStop | kLayoutBorder | kLayoutEditRight);

    EXPECT_EQ(control(kMainDialog, "IDC_ITEM_FIRST + 3").style & 0x00FFFFFFu,
              kLayoutDropDownList | kLayoutVScroll | kLayoutTabStop);
    EXPECT_TRUE(control(kSoundDialog, "IDC_LOW_ENABLE").style & kLayoutTabStop);
    EXPECT_TRUE(control(kSoundDialog, "IDC_LOW_FILE").style & kLayoutEditReadOnly);
    EXPECT_EQ(control(kSoundDialog, "IDC_OK").kind, ControlKind::DefaultButton);
    // A picture is a label showing a bitmap, without the group of a plain one.
    EXPECT_EQ(control(kHealthDialog, "IDC_HEALTH_CHART").style, 0x5000000Eu);
    // A label without a style starts a group, as windres gives it.
    EXPECT_EQ(dialogs[kMainDialog].controls[1].style, kLayoutVisible | 0x40000000u | kLayoutGroup);
}

TEST_F(RealScript, TextsAndIdsAsWritten) {
    const std::vector<RcControl>& sound = dialogs[kSoundDialog].controls;
    ASSERT_GE(sound.size(), 8u);
    EXPECT_EQ(sound[5].text, "AC&&ﾊﾞｯﾃﾘｰ使用時(&B):");
    EXPECT_EQ(sound[5].id, "IDC_STATIC_TEXT");
    EXPECT_EQ(sound[6].id, "IDC_ACBATT_ENABLE");
    EXPECT_EQ(sound[6].text, "");
    EXPECT_EQ(sound[7].id, "IDC_ACBATT_FILE");

    const std::vector<RcControl>& main = dialogs[kMainDialog].controls;
    ASSERT_GE(main.size(), 8u);
    EXPECT_EQ(main[3].id, "IDC_ITEM_FIRST");
    EXPECT_EQ(main[7].id, "IDC_ITEM_FIRST + 4");
    EXPECT_EQ(main[7].kind, ControlKind::ComboBox);
    EXPECT_EQ(main.back().text, "終了(&E)");
    EXPECT_EQ(control(kMainDialog, "IDC_SOUND").text, "ｻｳﾝﾄﾞ(&S)...");
}

TEST(Forms, SkipsOtherResourcesAndReadsLooseForms) {
    RcDialog dialogs[kDialogCount];
    RcError error{};
    ASSERT_TRUE(parse(readTestFile(FORMS_RC_PATH), dialogs, error)) << error.line << ": " << error.message;

    const RcDialog& main = dialogs[kMainDialog];
    EXPECT_EQ(main.name, "VMID_Dlg_Main");
    EXPECT_EQ(main.x, -5);
    EXPECT_EQ(main.y, 16);
    // No STYLE: the resource compiler's default with CAPTION's and FONT's bits.
    EXPECT_EQ(main.style, kLayoutPopup | kLayoutBorder | kLayoutSysMenu | kLayoutCaption | kLayoutSetFont);
    EXPECT_EQ(main.caption, "Say \"hi\", a back\\slash, a tab\there, ?\?= and ? marks");
    ASSERT_EQ(main.controls.size(), 6u);
    struct Row {
        const char* id;
        uint32_t style;
    } rows[] = {
        {"IDC_STATIC_TEXT", 0x50020000},    // a continued style line
        {"100", 0x50010003},                // the default check box has a tab stop...
        {"101", 0x50020003},                // ...one given a style has not
        {"103 + 1", 0x40000000},            // NOT takes away the defaults
        {"(IDC_ITEM_FIRST - -2)", 0x50010001},  // CBS_SIMPLE and a tab stop
        {"10", 0x50810004},                 // 010 is ten to the resource compiler
    };
    for (size_t i = 0; i < main.controls.size(); ++i) {
        EXPECT_EQ(main.controls[i].id, rows[i].id) << i;
        EXPECT_EQ(main.controls[i].style, rows[i].style) << rows[i].id;
    }
    EXPECT_EQ(main.controls[0].text, "Ａ&&B");
    EXPECT_EQ(main.controls[4].y, -1);

    EXPECT_EQ(dialogs[kSoundDialog].style, kLayoutCaption);
    EXPECT_EQ(dialogs[kSoundDialog].fontPoints, 0);
    EXPECT_TRUE(dialogs[kLogDialog].controls.empty());
}

// Each fault is an error naming its line, never a crash or a half-read table.
TEST(Malformed, EachFaultIsReportedOnItsLine) {
    const std::string rest = "VMID_Dlg_Sound DIALOG 0, 0, 1, 1\nBEGIN\nEND\nVMID_Dlg_Log DIALOG 0, 0, 1, 1\nBEGIN\nEND\n"
                             "VMID_Dlg_Health DIALOG 0, 0, 1, 1\nBEGIN\nEND\n";
    const std::string head = rest + "VMID_Dlg_Main DIALOG 0, 0, 9, 9\n";  // line 10
    const std::string open = head + "BEGIN\n";
    struct Row {
        std::string text;
        int line;
        const char* message;
    } rows[] = {
        {open + "LTEXT \"open, -1, 0, 0, 1, 1\nEND\n", 12, "closing quote"},
        {open + "LTEXT \"a\\\n\", -1, 0, 0, 1, 1\nEND\n", 12, "closing quote"},
        {open + "LTEXT \"\\q\", -1, 0, 0, 1, 1\nEND\n", 12, "escape \\q"},
        {open + "LTEXT \"\xE3\x81\", -1, 0, 0, 1, 1\nEND\n", 12, "UTF-8"},
        {open + "CHECKBOX \"a\", 1, 0, 0, 1, 1\nEND\n", 12, "unknown statement 'CHECKBOX'"},
        {open + "\"a\", 1, 0, 0, 1, 1\nEND\n", 12, "unknown statement a string"},
        {head + "STYLE WS_VISIBLE\nLTEXT \"a\", -1, 0, 0, 1, 1\nEND\n", 12, "expected the BEGIN"},
        {head + "STYLE WS_VISIBLE\n", 10, "no BEGIN"},
        {open + "LTEXT \"a\", -1, 0, 0, 1, 1\n", 11, "no END"},
        {open + "Other DIALOG 0, 0, 1, 1\nBEGIN\nEND\n", 12, "no END before the next DIALOG"},
        {open + "LTEXT \"a\", -1, 0, 0, 1\nEND\n", 12, "the height is missing"},
        {open + "LTEXT \"a\", -1\nEND\n", 12, "x is missing"},
        {open + "LTEXT \"a\"\nEND\n", 12, "the control id is missing"},
        {open + "EDITTEXT 5, 0, 0, 1, 1, WS_GROUP | NOT", 12, "a style is missing"},
        {open + "LTEXT \"a\", -1, 40000, 0, 1, 1\nEND\n", 12, "x 40000 does not fit"},
        {open + "LTEXT \"a\", -1, 0, -32769, 1, 1\nEND\n", 12, "y -32769 does not fit"},
        {open + "LTEXT \"a\", -1, 0, 0, 0x100000000, 1\nEND\n", 12, "does not fit 32 bits"},
        {open + "LTEXT \"a\", -1, 0, 0, 1, " + std::string(5000, '9') + "\nEND\n", 12, "does not fit 32 bits"},
        {open + "LTEXT \"a\", -1, 0, 0, 1, 1z\nEND\n", 12, "malformed number"},
        {open + "LTEXT \"a\", IDC_A +, 0, 0, 1, 1\nEND\n", 12, "control id is missing a value"},
        {open + "LTEXT \"a\", (1, 0, 0, 1, 1\nEND\n", 12, "')' missing"},
        {open + "LTEXT \"a\", " + std::string(100, '(') + "1" + std::string(100, ')') + ", 0, 0, 1, 1\nEND\n", 12,
         "nested too deeply"},
        {open + "LTEXT \"a\", -1, 0, 0, 1, 1, WS_FANCY\nEND\n", 12, "unknown style WS_FANCY"},
        {open + "LTEXT \"a\", -1, 0, 0, 1, 1, 0x10\nEND\n", 12, "expected a style name"},
        {open + "LTEXT \"a\", -1, 0, 0, 1, 1 WS_GROUP\nEND\n", 12, "expected ',' before the style"},
        {head + "FONT 0, \"x\"\nBEGIN\nEND\n", 11, "font size"},
        {rest + "VMID_Dlg_Main DIALOGEX 0, 0, 9, 9\nBEGIN\nEND\n", 10, "must be a DIALOG"},
        {rest + "VMID_Dlg_Main DIALOG 0, 0, 9\nBEGIN\nEND\n", 10, "the height is missing"},
        {rest + "#if 0\n", 10, "#if"},
        {rest + "END\n", 10, "END without BEGIN"},
        {rest + "1 VERSIONINFO\nBEGIN\n BLOCK \"x\"\n BEGIN\n END\n", 11, "BEGIN without END"},
        {rest + "/* open\n", 10, "closing */"},
        {rest + std::string("\x01", 1), 10, "byte 0x01 outside a string"},
        {rest + "\xE3\x81\x82\n", 10, "outside a string"},
        {rest, 0, "no DIALOG named VMID_Dlg_Main"},
        {rest + "vmid_dlg_sound DIALOG 0, 0, 1, 1\nBEGIN\nEND\n", 10, "twice (first on line 1)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        RcDialog dialogs[kDialogCount];
        RcError error{};
        ASSERT_FALSE(parse(row.text, dialogs, error));
        EXPECT_EQ(error.line, row.line);
        EXPECT_NE(error.message.find(row.message), std::string::npos) << error.message;
    }
}

// Every cut of the real script short of its last END is refused.
TEST(Malformed, TruncatedScriptFailsAtEveryLength) {
    std::string text = readTestFile(CELWRD_RC_PATH);
    // The English templates follow the Japanese ones, which alone make a script.
    size_t english = text.find("\nLANGUAGE LANG_ENGLISH");
    ASSERT_NE(english, std::string::npos);
    size_t complete = text.rfind("END", english);
    ASSERT_NE(complete, std::string::npos);
    for (size_t length = 0; length < complete + 3; ++length) {
        // A copy of exactly `length` bytes, so a read past it is caught.
        std::string cut = text.substr(0, length);
        RcDialog dialogs[kDialogCount];
        RcError error{};
        ASSERT_FALSE(parse(cut, dialogs, error)) << length;
        ASSERT_FALSE(error.message.empty()) << length;
    }
    // A cut in the string tables leaves a text without its other language.
    const std::string strings = readTestFile(STRINGS_RC_PATH);
    const size_t tables = strings.find("\nSTRINGTABLE");
    ASSERT_NE(tables, std::string::npos);
    for (size_t length = tables + 1; length < strings.rfind("END") + 3; ++length) {
        std::string cut = strings.substr(0, length);
        std::vector<RcText> texts;
        RcError error{};
        ASSERT_FALSE(parseRcTexts(cut.data(), cut.size(), texts, error) && !texts.empty()) << length;
    }
}

}  // namespace
