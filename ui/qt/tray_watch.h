// Whether the desktop has a tray for our icon, and news when one comes or
// goes: a panel started after the program (log-in autostart) or restarted.
#pragma once

// A StatusNotifierWatcher with a host on the session bus, or an X tray
// (XEmbed) on the display. Asks the bus and the X server each time.
bool trayHostPresent();
bool statusNotifierHostPresent();
bool xTrayPresent();

// From the first call on, `changed` runs on the event loop whenever a
// watcher or an X tray comes or goes. Later calls change nothing.
void watchTrayHost(void (*changed)());
