// Reads the dialog templates out of the Windows resource script, with
// the styles worked out as windres stores them, so that another front end
// can lay the dialogs out from the same source.
//
// Only what the templates use is read: DIALOG blocks with STYLE, EXSTYLE,
// CAPTION and FONT, and the control statements of ControlKind. Anything
// else inside one of the three dialogs is an error rather than something
// quietly left out of the layout. Everything outside them is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/layout/dialog_layout.h"

// By DialogId. Resource names are matched without regard to case, as
// Windows finds them.
inline constexpr const char* kRcDialogNames[kDialogCount] = {"VMID_Dlg_Main", "VMID_Dlg_Sound", "VMID_Dlg_Log",
                                                            "VMID_Dlg_Health"};

struct RcControl {
    ControlKind kind;
    std::string id;    // a C++ expression, e.g. "IDC_ITEM_FIRST + 1"
    std::string text;  // UTF-8, with the script's quoting undone
    int16_t x, y, width, height;
    uint32_t style;
};

struct RcDialog {
    std::string name;
    int line;  // of the DIALOG statement
    int16_t x, y, width, height;
    uint32_t style;
    uint32_t exStyle;
    std::string caption;
    int fontPoints;  // 0 without a FONT statement
    std::string fontFace;
    std::vector<RcControl> controls;
};

struct RcError {
    int line;  // 1-based; 0 when the fault is no one line's
    std::string message;
};

// `text` is the whole script in UTF-8. False with `error` filled on any
// malformed or unsupported input; `dialogs` is then incomplete. The
// English templates are those under LANGUAGE LANG_ENGLISH; every other
// one is Japanese, the program's own.
bool parseRcDialogs(const char* text, size_t size, RcDialog (&dialogs)[kDialogCount], RcError& error,
                    bool english = false);

// The program's own words: one STRINGTABLE per language, Japanese
// (LANGUAGE LANG_JAPANESE) and English (LANGUAGE LANG_ENGLISH), each text
// named by an IDS_ id of resource_ids.h. Both tables hold the same ids; an
// English text holds no Japanese character. Rows in the Japanese table's
// order.
struct RcText {
    std::string id;  // the IDS_ name
    int line;        // of the Japanese text
    std::string japanese, english;
};

// False with `error` filled on a malformed table, a text missing from one
// of the languages, an id there twice, or a table in another language.
bool parseRcTexts(const char* text, size_t size, std::vector<RcText>& texts, RcError& error);
