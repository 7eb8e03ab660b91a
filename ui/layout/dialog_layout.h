// The dialogs' layouts in dialog units, as the Windows templates in
// resources/celwrd.rc give them. tools/rclayout reads the .rc at build time
// and writes the table below, so a front end other than Windows' renders
// the very same dialogs and the two can never drift apart.
#pragma once

#include <cstdint>

#include "settings/settings_file.h"

// Style bits, with the values Windows gives them.
constexpr uint32_t kLayoutVisible = 0x10000000;     // WS_VISIBLE
constexpr uint32_t kLayoutCaption = 0x00C00000;     // WS_CAPTION
constexpr uint32_t kLayoutSysMenu = 0x00080000;     // WS_SYSMENU
constexpr uint32_t kLayoutThickFrame = 0x00040000;  // WS_THICKFRAME
constexpr uint32_t kLayoutPopup = 0x80000000;       // WS_POPUP
constexpr uint32_t kLayoutMinimiseBox = 0x00020000; // WS_MINIMIZEBOX
constexpr uint32_t kLayoutMaximiseBox = 0x00010000; // WS_MAXIMIZEBOX
constexpr uint32_t kLayoutModalFrame = 0x80;        // DS_MODALFRAME
constexpr uint32_t kLayoutSetFont = 0x40;           // DS_SETFONT
constexpr uint32_t kLayoutBorder = 0x00800000;      // WS_BORDER
constexpr uint32_t kLayoutVScroll = 0x00200000;     // WS_VSCROLL
constexpr uint32_t kLayoutHScroll = 0x00100000;     // WS_HSCROLL
constexpr uint32_t kLayoutGroup = 0x00020000;       // WS_GROUP (controls)
constexpr uint32_t kLayoutTabStop = 0x00010000;     // WS_TABSTOP (controls)
constexpr uint32_t kLayoutEditRight = 0x2;          // ES_RIGHT
constexpr uint32_t kLayoutEditMultiLine = 0x4;      // ES_MULTILINE
constexpr uint32_t kLayoutEditAutoHScroll = 0x80;   // ES_AUTOHSCROLL
constexpr uint32_t kLayoutEditReadOnly = 0x800;     // ES_READONLY
constexpr uint32_t kLayoutEditWantReturn = 0x1000;  // ES_WANTRETURN
constexpr uint32_t kLayoutDropDownList = 0x3;       // CBS_DROPDOWNLIST
constexpr uint32_t kLayoutStaticBitmap = 0xE;       // SS_BITMAP: a label that shows a picture
constexpr uint32_t kLayoutExDialogModalFrame = 0x1; // WS_EX_DLGMODALFRAME

enum class ControlKind : uint8_t {
    GroupBox,       // GROUPBOX
    Label,          // LTEXT
    ComboBox,       // COMBOBOX
    Edit,           // EDITTEXT
    CheckBox,       // AUTOCHECKBOX
    RadioButton,    // AUTORADIOBUTTON
    PushButton,     // PUSHBUTTON
    DefaultButton,  // DEFPUSHBUTTON
};

// One control statement; in template order, which is the tab order.
struct ControlLayout {
    ControlKind kind;
    int id;
    const char* text;  // UTF-8, "&" marking the mnemonic and "&&" a plain "&"
    int16_t x, y, width, height;
    uint32_t style;  // the statement's style with the resource compiler's defaults
};

struct DialogLayout {
    const char* name;  // "VMID_Dlg_Main", ...
    int16_t x, y, width, height;
    uint32_t style;    // as the resource compiler stores it
    uint32_t exStyle;
    const char* caption;  // UTF-8
    int fontPoints;
    const char* fontFace;  // UTF-8
    const ControlLayout* controls;
    int controlCount;
};

// By DialogId: the Japanese templates, and the English ones beside them.
extern const DialogLayout kDialogLayouts[kDialogCount];
extern const DialogLayout kEnglishDialogLayouts[kDialogCount];

// The template of `dialog` in the chosen language.
const DialogLayout& dialogLayout(DialogId dialog);
