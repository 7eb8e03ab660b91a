// What the dialogs share: opening modally or modelessly, ending,
// remembering each window's placement across runs, and the first half of
// every initialisation.
#pragma once

#include <cstdint>

#include "dialogs/controls.h"

// Template style bits the frame looks at.
constexpr uint32_t kStyleChild = 0x40000000;
constexpr uint32_t kStylePopup = 0x80000000;
constexpr uint32_t kStyleModalFrame = 0x80;
constexpr uint32_t kStyleThickFrame = 0x40000;
constexpr uint32_t kStyleHScroll = 0x100000;
constexpr uint32_t kStyleVScroll = 0x200000;

struct ScrollSetting {
    int32_t position;
    int32_t maximum;
};

// One per dialog for the whole run; its placement is dialogPlacements[id].
struct DialogFrame {
    DialogId id;
    WindowHandle window;     // while the dialog exists
    uint32_t templateStyle;  // read from the template at every opening
    ScrollSetting horizontal;
    ScrollSetting vertical;
};

extern DialogFrame dialogFrames[kDialogCount];

// The main dialog's window, owner of every other window and message box;
// 0 until the main dialog first initialises.
extern WindowHandle ownerWindow;

// Back to the state at program start (the tests start many programs).
void resetDialogFrames();

// Opens the dialog, or brings it to the top when it is open already.
// Modal when no owner exists yet or the template has a modal frame; a
// modal dialog has ended on return, so the result is then 0.
WindowHandle openDialog(DialogFrame& frame);

void endDialog(DialogFrame& frame, WindowHandle window);

// The window's show state and, when it is normal and visible, its
// rectangle (relative to the owner for a child or a modal popup).
void capturePlacement(DialogFrame& frame, WindowHandle window);

// Places and shows a new window as recorded; each dialog calls it first
// when it initialises.
void initDialogFrame(DialogFrame& frame, WindowHandle window);

// The window is going: the last placement, the dialog's own step, then no
// window.
void frameDestroyed(DialogFrame& frame, WindowHandle window, void (*ownStep)(WindowHandle));
