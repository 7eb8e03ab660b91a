#include "dialogs/dialogs.h"

#include "dialogs/dialog_frame.h"
#include "dialogs/health_window.h"
#include "dialogs/log_viewer.h"
#include "dialogs/main_dialog.h"
#include "dialogs/sound_dialog.h"
#include "resources/resource_ids.h"

intptr_t dialogInit(DialogId dialog, WindowHandle window) {
    switch (dialog) {
    case kMainDialog: return mainDialogInit(window);
    case kSoundDialog: return soundDialogInit(window);
    case kLogDialog: return logViewerInit(window);
    case kHealthDialog: return healthWindowInit(window);
    default: return 0;
    }
}

void dialogSettled(DialogId dialog, WindowHandle window) {
    switch (dialog) {
    case kMainDialog: mainDialogSettled(window); break;
    // The system gives the edit the focus once it is made, which selects
    // all its text: redrawn now, the caret stands at the end.
    case kLogDialog: logViewerCommand(window, IDC_LOG_TEXT, ControlEvent::Refresh); break;
    default: break;
    }
}

intptr_t dialogCommand(DialogId dialog, WindowHandle window, int id, ControlEvent event) {
    switch (dialog) {
    case kMainDialog: return mainDialogCommand(window, id, event);
    case kSoundDialog: return soundDialogCommand(window, id, event);
    case kLogDialog: return logViewerCommand(window, id, event);
    case kHealthDialog: return healthWindowCommand(window, id, event);
    default: return 0;
    }
}

void dialogMoved(DialogId dialog, WindowHandle window) { capturePlacement(dialogFrames[dialog], window); }

void dialogSized(DialogId dialog, WindowHandle window) {
    if (dialog == kLogDialog) logViewerSized(window);
    else capturePlacement(dialogFrames[dialog], window);
}

void dialogDestroyed(DialogId dialog, WindowHandle window) {
    if (dialog == kMainDialog) mainDialogDestroyed(window);
    else if (dialog == kHealthDialog) healthWindowDestroyed(window);
    else frameDestroyed(dialogFrames[dialog], window, nullptr);
}

void dialogClicked(WindowHandle window) { raiseWindow(window); }

void resetDialogs() {
    resetDialogFrames();
    resetMainDialog();
    resetSoundDialog();
}
