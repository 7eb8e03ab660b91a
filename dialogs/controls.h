// What the dialogs ask of a window system: controls reached by dialog
// window and id, the windows themselves, opening and ending them, and the
// few pieces of rendering that differ between systems. Each front end
// defines these functions (ui/win32/ and ui/qt/ for the real programs,
// ui/sim/ for the tests); the behaviour above them is written once, in
// dialogs/.
//
// Texts are bytes in the system code page where they are the user's (file
// names, the log) and UTF-8 where they are the program's own words (list
// entries, menu items, chooser titles).
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/front_end.h"
#include "settings/settings_file.h"

struct FileChooserSetup;

// ---------------------------------------------------------------- controls

bool controlChecked(WindowHandle dialog, int id);
void setControlChecked(WindowHandle dialog, int id, bool checked);

// At most size - 1 bytes, always terminated.
void controlText(WindowHandle dialog, int id, char* out, size_t size);

// Setting an edit's text makes it report ControlEvent::Edited to its
// dialog at once, before this returns, as the system's edits do.
void setControlText(WindowHandle dialog, int id, const char* text);

void enableControl(WindowHandle dialog, int id, bool enabled);

// A tip shown while the pointer rests on the control, also when it is
// disabled: why it is.
void setControlTip(WindowHandle dialog, int id, const char* text);

// Empties a drop-down list, adds `entries` in order and selects `selected`;
// an index outside the entries selects nothing.
void fillList(WindowHandle dialog, int id, const char* const* entries, int count, int selected);

// The selected entry, -1 when none is.
int listSelection(WindowHandle dialog, int id);

// ---------------------------------------------------------------- windows

struct WindowRect {
    int32_t x, y, width, height;
};

struct WindowShowState {
    bool minimised;
    bool maximised;
    bool visible;
};

WindowShowState windowShowState(WindowHandle window);

// The outer rectangle in screen coordinates.
WindowRect windowRect(WindowHandle window);

// Between screen coordinates and the client area of the window's parent
// (a child window) or owner (a popup).
void screenToOwnerClient(WindowHandle window, int32_t& x, int32_t& y);
void ownerClientToScreen(WindowHandle window, int32_t& x, int32_t& y);

// Moves and sizes without repainting.
void moveWindow(WindowHandle window, const WindowRect& rect);

enum class ShowCommand { Normal, Minimise, Maximise, Hide };
void showWindow(WindowHandle window, ShowCommand command);

// To the top of the z-order and shown, neither moved nor sized.
void raiseWindow(WindowHandle window);
void bringWindowToTop(WindowHandle window);
void setForegroundWindow(WindowHandle window);

void setScrollBar(WindowHandle window, bool vertical, int32_t maximum, int32_t position);

// ---------------------------------------------------------------- dialogs

// The template's window style.
uint32_t dialogTemplateStyle(DialogId dialog);

// Runs the dialog until it has ended; its window is gone on return.
void runModalDialog(DialogId dialog, WindowHandle owner);

// Creates the dialog and returns at once with its window (0 on failure).
WindowHandle createModelessDialog(DialogId dialog, WindowHandle owner);

// Ends a modal run (the window is hidden, then destroyed by the run).
void endModalDialog(WindowHandle window, int result);
void destroyDialogWindow(WindowHandle window);

struct MenuItem {
    int command;
    const char* text;
};

// The main window's menu: removes the item at position 1, then appends a
// separator and `items`.
void extendWindowMenu(WindowHandle window, const MenuItem* items, int count);

// Pops the window's menu up at the mouse cursor; a chosen item arrives as
// a command of the window.
void popUpWindowMenu(WindowHandle window);

// ---------------------------------------------------------------- rendering

// Pixels 0x00RRGGBB, rows from the top, each `width` pixels long.
struct Picture {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
};
using PicturePainter = void (*)(Picture& picture, void* context);

// A picture control (a label with the bitmap style) shows what `paint`
// draws into a picture of the control's size in pixels, in place of the
// one it showed.
void paintPicture(WindowHandle dialog, int id, PicturePainter paint, void* context);

// Replaces the text of a read-only multi-line edit with the program's own
// words (UTF-8, lines ended by LF), shown from the first line.
void showProgramText(WindowHandle dialog, int id, const char* text);

// Replaces the text of a multi-line edit and scrolls it so that the last
// line stands at the bottom of a full view, with the caret at the end.
void showTextAtEnd(WindowHandle dialog, int id, const char* text);

// Stretches the control from its top-left corner over the rest of the
// dialog's client area.
void fillClientWithControl(WindowHandle dialog, int id);

// The system's open-file chooser on `setup`, owned by `owner`, starting
// from `file`; the chosen full path replaces `file` when the user
// confirms. A name typed without extension gets `defaultExtension`
// (without its dot). Returns whether a file was chosen.
bool runFileChooser(WindowHandle owner, const FileChooserSetup& setup, char (&file)[260],
                    const char* defaultExtension);
