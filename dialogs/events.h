// What happens to the dialogs, in their own words. Each front end turns
// its window system's events into these (ui/win32/ Windows' messages,
// ui/qt/ Qt's events, ui/sim/ the tests' actions) and hands them to
// dialogs/dialogs.h; nothing below the front ends knows a window system's
// encoding of them.
#pragma once

#include <cstdint>

#include "base/front_end.h"

// A notice of a control, or a command chosen from a menu.
enum class ControlEvent : uint8_t {
    Clicked,  // a button clicked, a menu item chosen
    Edited,   // an edit is about to show changed text
    Refresh,  // the program asks the control to show its working-copy value
    Other,    // anything else a control tells (focus, selection): bound controls ignore it
};

// The main window became active or inactive.
enum class Activation : uint8_t { Inactive, Active, ByClick };

struct ActivationEvent {
    Activation how;
    bool minimised;      // the window is minimised: activated, it is being restored
    WindowHandle other;  // the window on the other side of the change, 0 when none is known
};

// A mouse button pressed on the tray icon.
enum class TrayClick : uint8_t { Left, Right, Double };
