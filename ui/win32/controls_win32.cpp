// The controls and windows of dialogs/controls.h on Win32. Texts go
// through the W functions, widened from what they are: the user's names
// from the system code page, the program's words from UTF-8.
#include <windows.h>

#include <commctrl.h>

#include <cwchar>

#include "dialogs/controls.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/ui_win32.h"

namespace {

HWND item(WindowHandle dialog, int id) { return GetDlgItem(toHwnd(dialog), id); }

// Cut at `size` without splitting a double-byte character.
void narrowCut(const wchar_t* wide, char* out, size_t size) {
    char all[2048];
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, all, sizeof all, nullptr, nullptr) <= 0) all[0] = '\0';
    copyCodePageText(out, size, all);
}

// Keeps a window whose recorded place lies on a monitor no longer there
// within reach: it moves onto the nearest monitor's work area.
RECT onSomeMonitor(RECT r) {
    if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return r;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) return r;
    const RECT& area = info.rcWork;
    LONG width = r.right - r.left, height = r.bottom - r.top;
    LONG x = r.left < area.left ? area.left : r.left + width > area.right ? area.right - width : r.left;
    LONG y = r.top < area.top ? area.top : r.top + height > area.bottom ? area.bottom - height : r.top;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    return RECT{x, y, x + width, y + height};
}

}  // namespace

bool controlChecked(WindowHandle dialog, int id) {
    return IsDlgButtonChecked(toHwnd(dialog), id) == BST_CHECKED;
}

void setControlChecked(WindowHandle dialog, int id, bool checked) {
    CheckDlgButton(toHwnd(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void controlText(WindowHandle dialog, int id, char* out, size_t size) {
    wchar_t wide[1024];
    if (!GetDlgItemTextW(toHwnd(dialog), id, wide, 1024)) wide[0] = L'\0';
    narrowCut(wide, out, size);
}

void setControlText(WindowHandle dialog, int id, const char* text) {
    wchar_t wide[1024];
    widenFromCodePage(text, wide);
    SetDlgItemTextW(toHwnd(dialog), id, wide);
}

void enableControl(WindowHandle dialog, int id, bool enabled) { EnableWindow(item(dialog, id), enabled); }

// A disabled control hears no mouse, its dialog does: the tip is the
// control's rectangle in the dialog. The tip window goes with the dialog.
void setControlTip(WindowHandle dialog, int id, const char* text) {
    HWND hwnd = toHwnd(dialog);
    HWND control = item(dialog, id);
    if (!control) return;
    HWND tips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, programInstance(), nullptr);
    if (!tips) return;
    wchar_t wide[256];
    widenFromUtf8(text, wide);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = hwnd;
    tool.uId = static_cast<UINT_PTR>(id);
    tool.lpszText = wide;
    GetWindowRect(control, &tool.rect);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&tool.rect), 2);
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void fillList(WindowHandle dialog, int id, const char* const* entries, int count, int selected) {
    HWND list = item(dialog, id);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        wchar_t wide[128];
        widenFromUtf8(entries[i], wide);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
    }
    SendMessageW(list, CB_SETCURSEL, selected >= 0 && selected < count ? selected : -1, 0);
}

int listSelection(WindowHandle dialog, int id) {
    LRESULT selected = SendMessageW(item(dialog, id), CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

WindowShowState windowShowState(WindowHandle window) {
    HWND hwnd = toHwnd(window);
    return WindowShowState{IsIconic(hwnd) != 0, IsZoomed(hwnd) != 0, IsWindowVisible(hwnd) != 0};
}

WindowRect windowRect(WindowHandle window) {
    RECT r{};
    GetWindowRect(toHwnd(window), &r);
    return WindowRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void screenToOwnerClient(WindowHandle window, int32_t& x, int32_t& y) {
    POINT p{x, y};
    if (HWND owner = GetParent(toHwnd(window)); owner && ScreenToClient(owner, &p)) x = p.x, y = p.y;
}

void ownerClientToScreen(WindowHandle window, int32_t& x, int32_t& y) {
    POINT p{x, y};
    if (HWND owner = GetParent(toHwnd(window)); owner && ClientToScreen(owner, &p)) x = p.x, y = p.y;
}

void moveWindow(WindowHandle window, const WindowRect& rect) {
    RECT r = onSomeMonitor(RECT{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height});
    MoveWindow(toHwnd(window), r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

void showWindow(WindowHandle window, ShowCommand command) {
    static const int kShow[] = {SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED, SW_HIDE};
    ShowWindow(toHwnd(window), kShow[static_cast<int>(command)]);
}

void raiseWindow(WindowHandle window) {
    SetWindowPos(toHwnd(window), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void bringWindowToTop(WindowHandle window) { BringWindowToTop(toHwnd(window)); }
void setForegroundWindow(WindowHandle window) { SetForegroundWindow(toHwnd(window)); }

void setScrollBar(WindowHandle window, bool vertical, int32_t maximum, int32_t position) {
    int bar = vertical ? SB_VERT : SB_HORZ;
    SetScrollRange(toHwnd(window), bar, 0, maximum, FALSE);
    SetScrollPos(toHwnd(window), bar, position, TRUE);
}

void extendWindowMenu(WindowHandle window, const MenuItem* items, int count) {
    HMENU menu = GetSystemMenu(toHwnd(window), FALSE);
    if (!menu) return;
    DeleteMenu(menu, 1, MF_BYPOSITION);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (int i = 0; i < count; ++i) {
        wchar_t text[64];
        widenFromUtf8(items[i].text, text);
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(items[i].command), text);
    }
}

// The tray's menu is the window menu. The window must be in front, or the
// menu would not close when the user clicks elsewhere; the system's own
// items (restore, move, close) are passed on as the window menu does.
void popUpWindowMenu(WindowHandle window) {
    HWND hwnd = toHwnd(window);
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    POINT at{};
    if (!menu || !GetCursorPos(&at)) return;
    SetForegroundWindow(hwnd);
    UINT command = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, hwnd, nullptr));
    PostMessageW(hwnd, WM_NULL, 0, 0);
    if (command >= 0xF000) PostMessageW(hwnd, WM_SYSCOMMAND, command, 0);
    else if (command) PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void showTextAtEnd(WindowHandle dialog, int id, const char* text) {
    static wchar_t wide[32768];
    HWND edit = item(dialog, id);
    widenFromCodePage(text, wide);
    SetWindowTextW(edit, wide);
    RECT outer{};
    GetWindowRect(edit, &outer);
    RECT unit{0, 0, 4, 8};
    MapDialogRect(toHwnd(dialog), &unit);
    LONG lineHeight = unit.bottom > 0 ? unit.bottom : 1;
    // Down to the end, then back up by a view's worth of lines, so the last
    // line stands at the bottom of a full view.
    SendMessageW(edit, EM_LINESCROLL, 0, 128);
    LONG lines = (outer.bottom - outer.top - GetSystemMetrics(SM_CYHSCROLL)) / lineHeight;
    SendMessageW(edit, EM_LINESCROLL, 0, -lines);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    int length = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, length, length);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void fillClientWithControl(WindowHandle dialog, int id) {
    HWND hwnd = toHwnd(dialog);
    HWND control = GetDlgItem(hwnd, id);
    RECT r{};
    GetWindowRect(control, &r);
    POINT corner{r.left, r.top};
    ScreenToClient(hwnd, &corner);
    RECT client{};
    GetClientRect(hwnd, &client);
    MoveWindow(control, corner.x, corner.y, client.right, client.bottom - corner.y, TRUE);
}

// A DIB section of the control's size, drawn by `paint`; the control keeps
// it until the next one or its dialog goes (releasePictures).
void paintPicture(WindowHandle dialog, int id, PicturePainter paint, void* context) {
    HWND control = item(dialog, id);
    RECT r{};
    if (!control || !GetClientRect(control, &r) || r.right <= 0 || r.bottom <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return;
    if (!bits) {
        DeleteObject(bitmap);
        return;
    }
    Picture picture{static_cast<uint32_t*>(bits), r.right, r.bottom};
    paint(picture, context);
    GdiFlush();
    auto old = reinterpret_cast<HBITMAP>(
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (old && old != bitmap) DeleteObject(old);
    // A control that took a copy keeps its own.
    if (reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0)) != bitmap)
        DeleteObject(bitmap);
}

void releasePictures(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
        if (HGDIOBJ old = reinterpret_cast<HGDIOBJ>(SendMessageW(child, STM_SETIMAGE, IMAGE_BITMAP, 0)))
            DeleteObject(old);
    }
}

// The edit breaks lines at CR LF only.
void showProgramText(WindowHandle dialog, int id, const char* text) {
    static char lines[16384];
    static wchar_t wide[16384];
    size_t n = 0;
    for (const char* p = text; *p && n + 2 < sizeof lines; ++p) {
        if (*p == '\n') lines[n++] = '\r';
        lines[n++] = *p;
    }
    lines[n] = '\0';
    widenFromUtf8(lines, wide);
    HWND edit = item(dialog, id);
    // The same text again keeps what the user selected.
    static wchar_t shown[16384];
    if (GetWindowTextW(edit, shown, 16384) >= 0 && wcscmp(shown, wide) == 0) return;
    // A refresh leaves the view where the user scrolled it.
    LRESULT first = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    SetWindowTextW(edit, wide);
    if (first > 0) SendMessageW(edit, EM_LINESCROLL, 0, first);
}
