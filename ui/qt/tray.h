// The tray icon: a StatusNotifierItem over D-Bus where the desktop has a
// watcher with a registered host, an XEmbed icon in the X tray otherwise
// (Qt chooses once, when the first icon is made, so none is made before a
// tray is there). It has no menu of its own: a right click goes to the
// front end, which pops up its window menu.
#pragma once

// Called on the event loop; either may be null.
struct TrayHooks {
    void (*leftClick)();   // a left click, or the desktop's "activate"
    void (*rightClick)();  // a right click, or the desktop's "context menu"
    void (*trayCame)();    // a tray came after an add found none, or came back
};
void traySetHooks(const TrayHooks& hooks);

// Shows the icon (`iconId` 1..13, other ids show icon 1) with the tip,
// UTF-8, shown as given. False when the desktop has no tray (trayCame
// tells when to try again); true, and only a change, when the icon is
// already shown.
bool trayAdd(int iconId, const char* tipUtf8);

// Changes the shown icon's picture and tip, each only when it differs from
// what is shown; false when no icon is shown or the tray has gone.
bool trayModify(int iconId, const char* tipUtf8);

// Takes the icon away; nothing when none is shown.
void trayDelete();
