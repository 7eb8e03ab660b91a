// The main window's title on X, set as cheaply as a title changing every
// second can be: Qt writes two properties (_NET_WM_NAME and the legacy
// WM_NAME) and the X server reports each back to us as well as to the
// window manager. Here only _NET_WM_NAME is written, while the window's
// property events are switched off, so only the window manager hears it;
// while the window is minimised or hidden they stay off, and the window
// manager's answers (openbox sets two properties for each title) do not
// wake us either.
#pragma once

class QWidget;

// Sets the title of a top-level window shown on X whose window manager
// reads _NET_WM_NAME (an unchanged title is not sent again) and returns
// true; false anywhere else (Wayland, offscreen, an ICCCM-only or no
// window manager, a window not made yet): the caller sets it through Qt.
bool setX11Title(QWidget* window, const char* utf8);
