// What the pointer is doing at this moment, asked of the X server: Qt
// knows only of the presses it was sent, and a press on a window's frame
// goes to the window manager.
#pragma once

class QWidget;

// True when a mouse button is down with the pointer over `window`'s frame;
// false where the display is not X.
bool pointerButtonDownOver(const QWidget* window);
