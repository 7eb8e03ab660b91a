// The platform layer's tests run without a screen: the core's calls of one
// (the message about a refused settings file, say) find no window and show
// nothing, as the real front ends do before the main dialog exists.
#include "base/front_end.h"

WindowHandle frontEndMainWindow() { return 0; }
void frontEndSetCaption(WindowHandle, const char*) {}
void frontEndSetClassIcon(WindowHandle, int) {}
bool frontEndIsMinimisedAndVisible(WindowHandle) { return false; }
void frontEndHideWindow(WindowHandle) {}
void frontEndEndMainDialog() {}
bool frontEndTrayAdd(WindowHandle, int, const char*) { return false; }
bool frontEndTrayModify(WindowHandle, int, const char*) { return false; }
void frontEndTrayDelete(WindowHandle) {}
bool frontEndAskYesNo(const char*, const char*) { return false; }
void frontEndShowMessage(const char*, const char*) {}
void frontEndNotifyAlert(bool, int32_t) {}
void frontEndOpenHelp(const char*) {}
void frontEndRedrawLogViewer() {}
void frontEndRefreshHealthWindow() {}
