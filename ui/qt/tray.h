// The tray icon: a StatusNotifierItem of the program's own on the session
// bus where the desktop has a watcher with a registered host
// (status_notifier_item.h), Qt's XEmbed icon in the X tray otherwise.
// Which one is settled when the icon is added, and none is made before a
// tray is there. A right click goes to the front end, which pops up its
// window menu; panels that show the item's menu themselves read the rows
// given to traySetMenu.
#pragma once

#include "ui/qt/status_notifier_item.h"

// Called on the event loop; either may be null.
struct TrayHooks {
    void (*leftClick)();   // a left click, or the desktop's "activate"
    void (*rightClick)();  // a right click, or the desktop's "context menu"
    void (*trayCame)();    // a tray came after an add found none, or came back
};
void traySetHooks(const TrayHooks& hooks);

// The menu that panels show for the icon themselves, as rows (copied);
// `chosen` (may be null) is called on the event loop with the command of
// the row the user chose there.
void traySetMenu(const TrayMenuRow* rows, int count, void (*chosen)(int command));

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
