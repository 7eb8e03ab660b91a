#include "dialogs/dialog_frame.h"

static constexpr DialogFrame freshFrame(DialogId id) { return DialogFrame{id, 0, 0, {0, 100}, {0, 100}}; }

DialogFrame dialogFrames[kDialogCount] = {freshFrame(kMainDialog), freshFrame(kSoundDialog),
                                          freshFrame(kLogDialog), freshFrame(kHealthDialog)};
WindowHandle ownerWindow;

void resetDialogFrames() {
    for (int i = 0; i < kDialogCount; ++i) dialogFrames[i] = freshFrame(static_cast<DialogId>(i));
    ownerWindow = 0;
}

static WindowPlacement& placementOf(const DialogFrame& frame) { return dialogPlacements[frame.id]; }

static bool runsModally(const DialogFrame& frame) {
    return ownerWindow == 0 || (frame.templateStyle & kStyleModalFrame) != 0;
}

// Children and popups with a modal frame keep their place relative to
// their owner, so they come back at the same offset from it.
static bool placedInOwner(const DialogFrame& frame) {
    uint32_t style = frame.templateStyle;
    return (style & kStyleChild) || ((style & kStylePopup) && (style & kStyleModalFrame));
}

WindowHandle openDialog(DialogFrame& frame) {
    if (frame.window) {
        bringWindowToTop(frame.window);
        return frame.window;
    }
    frame.templateStyle = dialogTemplateStyle(frame.id);
    if (runsModally(frame)) runModalDialog(frame.id, ownerWindow);
    else createModelessDialog(frame.id, ownerWindow);
    return frame.window;
}

void endDialog(DialogFrame& frame, WindowHandle window) {
    if (runsModally(frame)) {
        endModalDialog(window, 1);
        return;
    }
    destroyDialogWindow(window);
}

static void recordRectangle(DialogFrame& frame, WindowHandle window) {
    WindowRect rect = windowRect(window);
    WindowPlacement& placement = placementOf(frame);
    if (placedInOwner(frame)) screenToOwnerClient(window, rect.x, rect.y);
    placement.x = rect.x;
    placement.y = rect.y;
    placement.width = rect.width;
    placement.height = rect.height;
}

void capturePlacement(DialogFrame& frame, WindowHandle window) {
    WindowPlacement& placement = placementOf(frame);
    if (!window) {
        placement.state = 4;
        return;
    }
    WindowShowState shown = windowShowState(window);
    placement.state = (shown.minimised ? 1 : 0) + (shown.maximised ? 2 : 0) + (shown.visible ? 0 : 4);
    if (placement.state == 0) recordRectangle(frame, window);
}

// Where the recorded rectangle puts the window; without a resizable frame
// the window keeps the size of its template.
static void restoreRectangle(DialogFrame& frame, WindowHandle window) {
    WindowPlacement& placement = placementOf(frame);
    WindowRect target{placement.x, placement.y, placement.width, placement.height};
    if ((frame.templateStyle & kStyleModalFrame) && (frame.templateStyle & kStylePopup))
        ownerClientToScreen(window, target.x, target.y);
    if (!(frame.templateStyle & kStyleThickFrame)) {
        WindowRect present = windowRect(window);
        target.width = placement.width = present.width;
        target.height = placement.height = present.height;
    }
    moveWindow(window, target);
}

static void showByState(WindowHandle window, int32_t state) {
    switch (state) {
    case 0:
        showWindow(window, ShowCommand::Normal);
        raiseWindow(window);
        break;
    case 1: showWindow(window, ShowCommand::Minimise); break;
    case 2: showWindow(window, ShowCommand::Maximise); break;
    case 4: case 5: case 6: case 7: showWindow(window, ShowCommand::Hide); break;
    default: break;  // -1 and 3: as the system made it
    }
}

void initDialogFrame(DialogFrame& frame, WindowHandle window) {
    frame.window = window;
    if (frame.templateStyle & kStyleHScroll)
        setScrollBar(window, false, frame.horizontal.maximum, frame.horizontal.position);
    if (frame.templateStyle & kStyleVScroll)
        setScrollBar(window, true, frame.vertical.maximum, frame.vertical.position);
    WindowPlacement& placement = placementOf(frame);
    if (!windowShowState(window).minimised && placement.state < 4) {
        int32_t state = placement.state;
        if (placement.x == kUseDefault) recordRectangle(frame, window);
        else restoreRectangle(frame, window);
        // Moving the still invisible window captured it as hidden.
        placement.state = state == -1 ? 0 : state;
    }
    showByState(window, placement.state);
}

void frameDestroyed(DialogFrame& frame, WindowHandle window, void (*ownStep)(WindowHandle)) {
    capturePlacement(frame, window);
    placementOf(frame).state = -1;
    if (ownStep) ownStep(window);
    frame.window = 0;
}
