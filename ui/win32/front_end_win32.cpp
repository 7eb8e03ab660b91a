// What the core shows through the main window (base/front_end.h): caption,
// class icon, tray icon, message boxes and help. Every call does nothing
// without the window.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

#include "base/front_end.h"
#include "base/language.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/ui_win32.h"

namespace {

constexpr size_t kTipBytes = 64;  // 63 bytes and the terminator

// Shared icons belong to the system: nothing to destroy, and they stay
// valid while the class or the tray still shows them.
HICON loadIcon(int iconId, int widthMetric, int heightMetric) {
    if (iconId <= 0 || iconId > 0xFFFF) return nullptr;
    return static_cast<HICON>(LoadImageW(programInstance(), MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), LR_SHARED));
}

bool notifyTray(DWORD message, HWND window, int iconId, const char* tip) {
    NOTIFYICONDATAW data;
    ZeroMemory(&data, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    if (HICON icon = loadIcon(iconId, SM_CXSMICON, SM_CYSMICON)) {
        data.uFlags |= NIF_ICON;
        data.hIcon = icon;
    }
    char cut[kTipBytes];
    copyCodePageText(cut, sizeof cut, tip);
    widenFromCodePage(cut, data.szTip);
    return Shell_NotifyIconW(message, &data) != FALSE;
}

// A window handle the core handed over, or null when it is none or no
// longer a window.
HWND liveWindow(WindowHandle window) {
    HWND handle = toHwnd(window);
    return handle && IsWindow(handle) ? handle : nullptr;
}

// The main window as owner of message boxes and help, or null.
HWND ownerWindow() { return liveWindow(frontEndMainWindow()); }

bool isFile(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool openWithDefaultViewer(const char* path) {
    // Shell extensions that open the page may need COM on this thread.
    static bool comStarted;
    if (!comStarted) {
        comStarted = true;
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
    wchar_t wide[MAX_PATH + 8];
    widenFromCodePage(path, wide);
    HINSTANCE result = ShellExecuteW(ownerWindow(), L"open", wide, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// The shell opens a page by its path and so drops a fragment; a file URL
// given to the browser, the handler of http URLs, keeps it. That handler
// is the user's choice (its ProgId), else the machine's http class.
bool openInBrowser(const char* page, const char* fragment) {
    wchar_t widePage[MAX_PATH + 8];
    widenFromCodePage(page, widePage);
    char utf8[(MAX_PATH + 8) * 3];
    if (WideCharToMultiByte(CP_UTF8, 0, widePage, -1, utf8, sizeof utf8, nullptr, nullptr) == 0) return false;
    char url[sizeof utf8 * 3 + 16];
    if (!fileUrl(utf8, fragment, url, sizeof url)) return false;
    wchar_t wideUrl[sizeof url];
    if (MultiByteToWideChar(CP_UTF8, 0, url, -1, wideUrl, sizeof url) == 0) return false;
    wchar_t progId[128] = L"http";
    DWORD length = sizeof progId / sizeof progId[0];
    // Named by value: the headers give them only to programs for Windows 10,
    // and older systems just fail the query.
    constexpr ASSOCF kIsProtocol = static_cast<ASSOCF>(0x1000);
    constexpr ASSOCSTR kProgId = static_cast<ASSOCSTR>(20);
    if (AssocQueryStringW(kIsProtocol, kProgId, L"http", nullptr, progId, &length) != S_OK)
        wcscpy(progId, L"http");
    // Wine's bridge to the desktop's browser turns a file URL with a
    // fragment into a path nothing can open: there the page goes by its path.
    wchar_t browser[MAX_PATH];
    length = sizeof browser / sizeof browser[0];
    if (AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE, progId, L"open", browser, &length) == S_OK &&
        lstrcmpiW(PathFindFileNameW(browser), L"winebrowser.exe") == 0)
        return false;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    info.hwnd = ownerWindow();
    info.lpVerb = L"open";
    info.lpFile = wideUrl;
    info.lpClass = progId;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

}  // namespace

bool fileUrl(const char* path, const char* fragment, char* out, size_t size) {
    if (!path || !fragment || !out || size == 0) return false;
    static const char kHex[] = "0123456789ABCDEF";
    size_t used = 0;
    auto put = [&](char c) {
        if (used + 1 >= size) return false;
        out[used++] = c;
        return true;
    };
    const bool share = path[0] == '\\' && path[1] == '\\';
    for (const char* p = share ? "file:" : "file:///"; *p; ++p)
        if (!put(*p)) return false;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p; ++p) {
        const char c = static_cast<char>(*p);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           strchr("-._~:/", c) != nullptr;
        if (c == '\\') {
            if (!put('/')) return false;
        } else if (plain) {
            if (!put(c)) return false;
        } else if (!put('%') || !put(kHex[*p >> 4]) || !put(kHex[*p & 15])) {
            return false;
        }
    }
    if (*fragment && !put('#')) return false;
    for (const char* p = fragment; *p; ++p)
        if (!put(*p)) return false;
    out[used] = '\0';
    return true;
}

bool helpPagePath(const char* helpPath, char* out, size_t size) {
    const UINT codePage = GetACP();
    const size_t length = strlen(helpPath);
    size_t extension = length;
    for (size_t pos = 0; pos < length; pos = nextCharacter(codePage, helpPath, length, pos)) {
        if (helpPath[pos] == '\\' || helpPath[pos] == '/' || helpPath[pos] == ':') extension = length;
        else if (helpPath[pos] == '.') extension = pos;
    }
    static const char kPage[] = ".html";
    if (!out || extension + sizeof kPage > size) return false;
    memcpy(out, helpPath, extension);
    memcpy(out + extension, kPage, sizeof kPage);
    return true;
}

void frontEndSetCaption(WindowHandle window, const char* text) {
    // Asked at every display refresh: a title set anew costs the shell and
    // every program that watches it a redraw, so an unchanged one is not.
    static HWND shownWindow;
    static char shown[256];
    HWND handle = liveWindow(window);
    if (!handle || !text) return;
    if (handle == shownWindow && strncmp(text, shown, sizeof shown) == 0) return;
    wchar_t wide[512];
    widenFromCodePage(text, wide);
    SetWindowTextW(handle, wide);
    shownWindow = strlen(text) < sizeof shown ? handle : nullptr;
    copyCodePageText(shown, sizeof shown, text);
}

void frontEndSetClassIcon(WindowHandle window, int iconId) {
    // Asked at every display refresh; the icon changes with the charge only.
    static HWND shownWindow;
    static int shownIcon;
    HWND handle = liveWindow(window);
    if (!handle || (handle == shownWindow && iconId == shownIcon)) return;
    HICON large = loadIcon(iconId, SM_CXICON, SM_CYICON);
    HICON small = loadIcon(iconId, SM_CXSMICON, SM_CYSMICON);
    if (!large || !small) return;
    SetClassLongPtrW(handle, GCLP_HICON, reinterpret_cast<LONG_PTR>(large));
    SetClassLongPtrW(handle, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(small));
    shownWindow = handle;
    shownIcon = iconId;
    // The caption was drawn with the old icon just before; show the new one now.
    RedrawWindow(handle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

// What the shell last took for our icon; an unchanged picture and tip are
// not handed on again at every refresh.
static struct {
    HWND window;
    int icon;
    char tip[kTipBytes];
} trayShown;

static bool remember(bool ok, HWND window, int iconId, const char* tip) {
    trayShown.window = ok ? window : nullptr;
    trayShown.icon = iconId;
    copyCodePageText(trayShown.tip, sizeof trayShown.tip, tip);
    return ok;
}

bool frontEndTrayAdd(WindowHandle window, int iconId, const char* tip) {
    HWND handle = liveWindow(window);
    return handle && remember(notifyTray(NIM_ADD, handle, iconId, tip), handle, iconId, tip);
}

bool frontEndTrayModify(WindowHandle window, int iconId, const char* tip) {
    HWND handle = liveWindow(window);
    if (!handle || !tip) return false;
    char cut[kTipBytes];
    copyCodePageText(cut, sizeof cut, tip);
    if (handle == trayShown.window && iconId == trayShown.icon && strcmp(cut, trayShown.tip) == 0) return true;
    // The shell forgets the icon when Explorer restarts, and an add at logon
    // can come before the taskbar exists: add it again then.
    bool ok = notifyTray(NIM_MODIFY, handle, iconId, tip) || notifyTray(NIM_ADD, handle, iconId, tip);
    return remember(ok, handle, iconId, tip);
}

void frontEndTrayDelete(WindowHandle window) {
    // The shell knows the icon by handle and id, so it goes away even after
    // the window was destroyed (shutdown removes it then).
    if (!window) return;
    trayShown.window = nullptr;
    NOTIFYICONDATAW data;
    ZeroMemory(&data, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = toHwnd(window);
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
}

bool frontEndIsMinimisedAndVisible(WindowHandle window) {
    HWND handle = liveWindow(window);
    return handle && IsIconic(handle) && IsWindowVisible(handle);
}

void frontEndHideWindow(WindowHandle window) {
    if (HWND handle = liveWindow(window)) ShowWindow(handle, SW_HIDE);
}

bool frontEndAskYesNo(const char* text, const char* caption) {
    wchar_t wideText[1024];
    wchar_t wideCaption[256];
    widenFromUtf8(text, wideText);
    widenFromUtf8(caption, wideCaption);
    return MessageBoxW(ownerWindow(), wideText, wideCaption, MB_YESNO | MB_ICONINFORMATION | MB_SYSTEMMODAL) == IDYES;
}

void frontEndShowMessage(const char* text, const char* caption) {
    wchar_t wideText[1024];
    wchar_t wideCaption[256];
    widenFromUtf8(text, wideText);
    widenFromUtf8(caption, wideCaption);
    MessageBoxW(ownerWindow(), wideText, wideCaption, MB_OK | MB_ICONINFORMATION);
}

void frontEndOpenHelp(const char* path) {
    if (!path || !*path) return;
    // Current Windows has no viewer for .HLP; a page beside it takes its place.
    char page[MAX_PATH + 8];
    if (!helpPagePath(path, page, sizeof page)) return;
    if (isFile(page) && (openInBrowser(page, languageName(programLanguage())) || openWithDefaultViewer(page))) return;
    WinHelpA(ownerWindow(), path, HELP_CONTENTS, 0);
}

// The program tells of its alerts with their sound alone here.
void frontEndNotifyAlert(bool, int32_t) {}
