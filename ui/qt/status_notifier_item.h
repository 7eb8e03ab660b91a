// The tray icon as the desktop's panels read it over D-Bus: a
// StatusNotifierItem with its menu exported by com.canonical.dbusmenu.
// It has a session-bus connection of its own, served on a thread of its
// own: a panel's reads are answered there from a snapshot that the
// user-interface thread changes only when the picture, the tip or the
// menu changes, so that reading the item never wakes that thread.
//
// The calls below are made on one thread, the user-interface thread; the
// events come on the item's thread. Nothing here knows Qt.
#pragma once

#include <cstddef>

// One row of the tray's menu: an item that reports `command` when chosen,
// `label` in UTF-8 with "&" before its mnemonic ("&&" for an ampersand), as
// the window menu has it; a null label makes a separator.
struct TrayMenuRow {
    int command;
    const char* label;
};

// What the desktop did with the item: a left click (Activate), a right
// click on a desktop that asks the program for its menu (ContextMenu), or
// a row of the exported menu chosen (`command` its command, else 0).
enum class ItemEvent { Activate, ContextMenu, MenuChosen };
using ItemEventSink = void (*)(ItemEvent event, int command);

// The most the item keeps: longer tips and labels are cut at a character.
constexpr size_t kItemTipBytes = 256;
constexpr int kItemMenuRows = 12;
constexpr size_t kItemLabelBytes = 128;

// Puts the item on the bus with what was last set: the first call starts
// the item's thread, which connects to the session bus, takes the name
// org.kde.StatusNotifierItem-<pid>-1 and registers it with the desktop's
// StatusNotifierWatcher, and with every watcher that comes after (a panel
// restarted). Returns at once; `sink` (may be null) receives the events.
void statusNotifierShow(ItemEventSink sink);

// Takes the item off the bus: its name goes, and watchers forget it.
void statusNotifierHide();

// The picture (icon `iconId`, 1..13; any other id is icon 1) and the tip.
// Panels are told (NewIcon, NewToolTip) only of what differs.
void statusNotifierSet(int iconId, const char* tipUtf8);

// The menu's rows (at most kItemMenuRows), copied; panels are told
// (LayoutUpdated) when they differ from the last.
void statusNotifierSetMenu(const TrayMenuRow* rows, int count);
