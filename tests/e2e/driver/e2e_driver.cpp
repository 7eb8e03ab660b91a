// Drives the running program from inside the same Wine prefix, so that the
// end-to-end tests and scripts/run can do what a user (or Windows) does.
//
//   e2e_driver [--image NAME] [--window TITLE] [--wait MS] COMMAND ARGS...
//
// The target window is the program's main window (its unowned dialog), or
// with --window the program's top-level window whose caption is TITLE.
// Commands:
//   caption                 prints the target's caption
//   restore                 restores it, as its taskbar button does
//   exit | sound | log      presses the main window's exit, sound or log button
//   press ID                sends the command of button ID, as a click does
//   syscommand ID           chooses item ID of the target's window menu
//   click ID                clicks control ID (check boxes toggle)
//   get ID                  prints control ID's value: text, check state, or list selection
//   enabled ID              prints 1 when control ID is enabled, else 0
//   set ID TEXT             replaces the text of edit ID, as typing does
//   select ID INDEX         selects entry INDEX of drop-down list ID
//   broadcast CODE [yes|no] sends WM_POWERBROADCAST; answers the suspend question
//                           when one is asked; prints "result=N asked=TEXT|-"
//   endsession FLAG         sends WM_ENDSESSION with FLAG; prints "result=N"
//   logoff                  ends the session as Windows does: WM_QUERYENDSESSION,
//                           then WM_ENDSESSION 1, to every top-level window of
//                           the program, each from a thread of its own, each
//                           bounded by the wait; prints "windows=N ended=M",
//                           M those that answered WM_ENDSESSION
//   tray left|right         the tray icon's mouse message
//   menu [UP]               waits for the popup menu and prints its rectangle;
//                           with UP, chooses the item UP places from the bottom
//                           (1: the last), else closes it
//   msgbox [ok|yes|no]      waits for a message box, prints its caption and
//                           text, then answers it
//   chooser PATH            waits for a file chooser, types PATH and confirms;
//                           prints its caption, then "chosen" or "refused"
//                           (a refused chooser is cancelled)
//   ping MS                 "answered" when the program handles a message within
//                           MS, else "held"
//   tips                    prints the tips of the tray icons shown, with their rectangles
//   windows [all]           prints the program's top-level windows (all: everyone's)
//   place X Y W H           moves and sizes the target
//   mark FILE NAME MS [RELEASE]
//                           (no window) appends "NAME start" to FILE, sleeps MS
//                           (or until the file RELEASE exists), appends "NAME end":
//                           an event program that takes time
//
// Texts are UTF-8. Exit code 0 on success, 1 when the window or control did
// not appear within the wait (default 10000 ms), 2 on a usage error. With
// E2E_CALL set, the same code is also the last line on standard error,
// "e2e_driver E2E_CALL: exit N", for when the process's own is lost at its
// very end (see tests/e2e/harness.sh).
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>

#include "resources/resource_ids.h"

namespace {

const char* imageName = "celwrd.exe";
const char* windowTitle = nullptr;
DWORD waitMs = 10000;

constexpr UINT kTrayMessage = 0x8064;
constexpr WPARAM kTrayIconId = 12345;

// ----- output

void writeOut(const char* text, size_t length) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
}

void print(const char* text) { writeOut(text, std::strlen(text)); }

// Prints a wide text as UTF-8, line ends and tabs made visible as blanks
// except where asked to keep them.
void printWide(const wchar_t* wide, int length = -1) {
    if (length < 0) length = lstrlenW(wide);
    static char utf8[200000];
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8, sizeof utf8, nullptr, nullptr);
    writeOut(utf8, bytes > 0 ? static_cast<size_t>(bytes) : 0);
}

void toWide(const char* utf8, wchar_t* wide, int capacity) {
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, capacity);
    if (length <= 0) wide[0] = 0;
    wide[capacity - 1] = 0;
}

// ----- finding the program's windows

bool processHasImage(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL ok = Process32First(snapshot, &entry); ok && !found; ok = Process32Next(snapshot, &entry))
        found = entry.th32ProcessID == pid && lstrcmpiA(entry.szExeFile, imageName) == 0;
    CloseHandle(snapshot);
    return found;
}

bool ownedByProgram(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return processHasImage(pid);
}

bool hasClass(HWND window, const char* name) {
    char className[64];
    return GetClassNameA(window, className, sizeof className) > 0 && std::strcmp(className, name) == 0;
}

bool hasTitle(HWND window, const wchar_t* title) {
    wchar_t text[256];
    GetWindowTextW(window, text, 256);
    return lstrcmpW(text, title) == 0;
}

struct Search {
    const wchar_t* title;  // null: the main window
    HWND found;
};

// The main window is the program's unowned dialog; the program also owns
// helper windows such as "Default IME", which are not dialogs.
BOOL CALLBACK considerWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (search->title == nullptr) {
        if (GetWindow(window, GW_OWNER) != nullptr || !hasClass(window, "#32770")) return TRUE;
    } else if (!hasTitle(window, search->title)) {
        return TRUE;
    }
    if (!ownedByProgram(window)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND findWindow(const wchar_t* title) {
    Search search{title, nullptr};
    EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(const wchar_t* title) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND found = findWindow(title);
        if (found != nullptr || GetTickCount() - start >= waitMs) return found;
        Sleep(100);
    }
}

// Polls FIND until it finds a window or the wait is over.
HWND waitFor(HWND (*find)()) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND found = find();
        if (found != nullptr || GetTickCount() - start >= waitMs) return found;
        Sleep(100);
    }
}

HWND targetWindow() {
    if (windowTitle == nullptr) return waitForWindow(nullptr);
    static wchar_t title[256];
    toWide(windowTitle, title, 256);
    return waitForWindow(title);
}

// ----- commands on the target window

using Command = int (*)(HWND window, int argc, char** argv);

int needControl(HWND window, const char* id, HWND* control) {
    *control = GetDlgItem(window, std::atoi(id));
    if (*control == nullptr) {
        print("no such control\n");
        return 1;
    }
    return 0;
}

int printCaption(HWND window, int, char**) {
    wchar_t text[512];
    printWide(text, GetWindowTextW(window, text, 512));
    print("\n");
    return 0;
}

int restore(HWND window, int, char**) { return PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0) ? 0 : 1; }

// The same message a click on the button sends, so the program takes its
// ordinary path; posted, since a modal dialog may open and stay.
int pressId(HWND window, int id) {
    HWND button = GetDlgItem(window, id);
    return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) ? 0 : 1;
}

int pressExit(HWND window, int, char**) { return pressId(window, IDC_EXIT); }
int pressSound(HWND window, int, char**) { return pressId(window, IDC_SOUND); }
int pressLog(HWND window, int, char**) { return pressId(window, IDC_LOG_VIEW); }
int press(HWND window, int, char** argv) { return pressId(window, std::atoi(argv[0])); }

int sysCommand(HWND window, int, char** argv) {
    return PostMessageW(window, WM_SYSCOMMAND, static_cast<WPARAM>(std::atoi(argv[0])), 0) ? 0 : 1;
}

int click(HWND window, int, char** argv) {
    HWND control;
    if (needControl(window, argv[0], &control)) return 1;
    return PostMessageW(control, BM_CLICK, 0, 0) ? 0 : 1;
}

// Another process's edit answers only WM_GETTEXT with its content.
int windowText(HWND control, wchar_t* text, int capacity) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                        5000, &length);
    return static_cast<int>(length);
}

void printText(HWND control) {
    static wchar_t text[65536];
    printWide(text, windowText(control, text, 65536));
    print("\n");
}

int get(HWND window, int, char** argv) {
    HWND control;
    if (needControl(window, argv[0], &control)) return 1;
    char line[32];
    if (hasClass(control, "Button")) {
        std::snprintf(line, sizeof line, "%d\n", static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0)));
        print(line);
    } else if (hasClass(control, "ComboBox")) {
        std::snprintf(line, sizeof line, "%d\n", static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
        print(line);
    } else {
        printText(control);
    }
    return 0;
}

// A control's own text (a button's or a label's), whatever its kind.
int controlText(HWND window, int, char** argv) {
    HWND control;
    if (needControl(window, argv[0], &control)) return 1;
    printText(control);
    return 0;
}

// Every text of the window's buttons and labels fits its control, measured
// in the template's font (FACE POINTS, as the driver cannot use another
// process's font): a label in its width, a push button between its edges,
// a check box or radio button beside its box, a group its title. Prints
// each that does not; 1 when one does not.
int fits(HWND window, int, char** argv) {
    wchar_t face[64];
    toWide(argv[0], face, 64);
    HDC dc = GetDC(window);
    const int height = -MulDiv(std::atoi(argv[1]), GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    HGDIOBJ old = SelectObject(dc, font);
    int status = 0, measured = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const bool button = hasClass(child, "Button");
        if (!button && !hasClass(child, "Static")) continue;
        static wchar_t text[512];
        const int length = windowText(child, text, 512);
        if (length == 0) continue;
        RECT extent{0, 0, 0, 0};
        DrawTextW(dc, text, length, &extent, DT_CALCRECT | DT_SINGLELINE);
        const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        int allowance = 0;
        if (button) {
            if (type == BS_GROUPBOX) allowance = 16;
            else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                     type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE)
                allowance = GetSystemMetrics(SM_CXMENUCHECK) + 4;
            else allowance = 4;
        }
        RECT client{};
        GetClientRect(child, &client);
        ++measured;
        if (extent.right + allowance <= client.right) continue;
        char line[96];
        std::snprintf(line, sizeof line, "%d: %ld + %d > %ld: ", GetDlgCtrlID(child), extent.right, allowance,
                      client.right);
        print(line);
        printWide(text, length);
        print("\n");
        status = 1;
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(window, dc);
    return measured ? status : 1;
}

int enabled(HWND window, int, char** argv) {
    HWND control;
    if (needControl(window, argv[0], &control)) return 1;
    print(IsWindowEnabled(control) ? "1\n" : "0\n");
    return 0;
}

int set(HWND window, int, char** argv) {
    HWND control;
    if (needControl(window, argv[0], &control)) return 1;
    static wchar_t text[1024];
    toWide(argv[1], text, 1024);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                               &result) ? 0 : 1;
}

int select(HWND window, int, char** argv) {
    HWND control;
    if (needControl(window, argv[0], &control)) return 1;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(control, CB_SETCURSEL, std::atoi(argv[1]), 0, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result) == CB_ERR ? 1 : 0;
}

// ----- messages whose answer matters, sent from a thread of their own so
// that a question the program asks meanwhile can be answered

struct Sent {
    HWND window;
    UINT message;
    WPARAM wParam;
    DWORD_PTR result;
    BOOL delivered;
    UINT timeoutMs = 60000;
};

DWORD WINAPI sendOnThread(void* data) {
    auto* sent = static_cast<Sent*>(data);
    sent->delivered = SendMessageTimeoutW(sent->window, sent->message, sent->wParam, 0, SMTO_NORMAL, sent->timeoutMs,
                                          &sent->result);
    return 0;
}

// The message box's text is its static control with the id -1.
void printMessageBox(HWND box) {
    wchar_t text[1024];
    printWide(text, GetWindowTextW(box, text, 1024));
    print("|");
    HWND label = GetDlgItem(box, 0xFFFF);
    int length = label ? GetWindowTextW(label, text, 1024) : 0;
    for (int i = 0; i < length; ++i)
        if (text[i] == L'\n' || text[i] == L'\r') text[i] = L'/';
    printWide(text, length);
}

int answerId(const char* answer) {
    if (std::strcmp(answer, "yes") == 0) return IDYES;
    if (std::strcmp(answer, "no") == 0) return IDNO;
    return IDOK;
}

HWND findMessageBox() {
    struct Found {
        static BOOL CALLBACK consider(HWND window, LPARAM data) {
            if (!hasClass(window, "#32770") || GetWindow(window, GW_OWNER) == nullptr ||
                GetDlgItem(window, 0xFFFF) == nullptr || !IsWindowVisible(window) || !ownedByProgram(window))
                return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        }
    };
    HWND found = nullptr;
    EnumWindows(Found::consider, reinterpret_cast<LPARAM>(&found));
    return found;
}

int sendAndAnswer(HWND window, UINT message, WPARAM wParam, const char* answer) {
    Sent sent{window, message, wParam, 0, FALSE};
    HANDLE thread = CreateThread(nullptr, 0, sendOnThread, &sent, 0, nullptr);
    if (thread == nullptr) return 1;
    bool asked = false;
    while (WaitForSingleObject(thread, 100) == WAIT_TIMEOUT) {
        HWND box = asked ? nullptr : findMessageBox();
        if (box == nullptr) continue;
        asked = true;
        print("asked=");
        printMessageBox(box);
        print(" ");
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answerId(answer ? answer : "yes"), BN_CLICKED), 0);
    }
    CloseHandle(thread);
    if (!asked) print("asked=- ");
    char line[64];
    std::snprintf(line, sizeof line, "result=%lld\n", static_cast<long long>(sent.result));
    print(line);
    return sent.delivered ? 0 : 1;
}

int broadcast(HWND window, int argc, char** argv) {
    return sendAndAnswer(window, WM_POWERBROADCAST, std::strtoul(argv[0], nullptr, 0), argc > 1 ? argv[1] : nullptr);
}

int endSession(HWND window, int, char** argv) {
    return sendAndAnswer(window, WM_ENDSESSION, std::strtoul(argv[0], nullptr, 0), nullptr);
}

// Every top-level window of the program is told, not only the main one:
// a thread of the program that is busy must not keep the others from
// hearing it. Each is sent to at once; returns how many answered.
int sendToAll(Sent* sent, int count) {
    HANDLE threads[32];
    for (int i = 0; i < count; ++i) threads[i] = CreateThread(nullptr, 0, sendOnThread, &sent[i], 0, nullptr);
    int answered = 0;
    for (int i = 0; i < count; ++i) {
        if (threads[i] == nullptr) continue;
        WaitForSingleObject(threads[i], INFINITE);
        CloseHandle(threads[i]);
        answered += sent[i].delivered ? 1 : 0;
    }
    return answered;
}

struct ProgramWindows {
    Sent sent[32];
    int count;
};

BOOL CALLBACK collectProgramWindow(HWND window, LPARAM data) {
    auto* windows = reinterpret_cast<ProgramWindows*>(data);
    if (windows->count < 32 && ownedByProgram(window)) windows->sent[windows->count++].window = window;
    return TRUE;
}

int logOff(HWND, int, char**) {
    static ProgramWindows windows;
    EnumWindows(collectProgramWindow, reinterpret_cast<LPARAM>(&windows));
    int ended = 0;
    for (const auto& [message, flag] : {std::pair<UINT, WPARAM>{WM_QUERYENDSESSION, 0}, {WM_ENDSESSION, TRUE}}) {
        for (int i = 0; i < windows.count; ++i)
            windows.sent[i] = Sent{windows.sent[i].window, message, flag, 0, FALSE, waitMs};
        ended = sendToAll(windows.sent, windows.count);
    }
    char line[64];
    std::snprintf(line, sizeof line, "windows=%d ended=%d\n", windows.count, ended);
    print(line);
    return windows.count > 0 ? 0 : 1;
}

int tray(HWND window, int, char** argv) {
    LPARAM mouse = std::strcmp(argv[0], "right") == 0 ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    return PostMessageW(window, kTrayMessage, kTrayIconId, mouse) ? 0 : 1;
}

int messageBox(HWND, int argc, char** argv) {
    HWND box = waitFor(findMessageBox);
    if (box == nullptr) return 1;
    printMessageBox(box);
    print("\n");
    return PostMessageW(box, WM_COMMAND, MAKEWPARAM(answerId(argc > 0 ? argv[0] : "ok"), BN_CLICKED), 0) ? 0 : 1;
}

// ----- the popup menu

HWND findPopupMenu() {
    HWND found = nullptr;
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, L"#32768", nullptr)) {
        if (IsWindowVisible(window)) found = window;
    }
    return found;
}

// Keys go to the menu window, whose tracking loop reads its thread's input.
void key(HWND menu, WPARAM virtualKey) {
    PostMessageW(menu, WM_KEYDOWN, virtualKey, 0);
    PostMessageW(menu, WM_KEYUP, virtualKey, 0xC0000000);
}

// Menus belong to the process that made them, so another process cannot
// read their items; it sees the menu window and can press keys in it.
int menu(HWND, int argc, char** argv) {
    HWND popup = waitFor(findPopupMenu);
    if (popup == nullptr) return 1;
    RECT rect{};
    GetWindowRect(popup, &rect);
    char line[64];
    std::snprintf(line, sizeof line, "%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                  rect.top);
    print(line);
    int up = argc > 0 ? std::atoi(argv[0]) : 0;
    if (up <= 0) {
        key(popup, VK_ESCAPE);
        return 0;
    }
    for (int i = 0; i < up; ++i) key(popup, VK_UP);
    key(popup, VK_RETURN);
    return 0;
}

// ----- the file chooser

HWND findChooser() {
    struct Found {
        static BOOL CALLBACK consider(HWND window, LPARAM data) {
            if (!hasClass(window, "#32770") || !IsWindowVisible(window) || !ownedByProgram(window)) return TRUE;
            if (!hasTitle(window, L"ﾛｸﾞﾌｧｲﾙ名") && !hasTitle(window, L"WAVﾌｧｲﾙ名") && !hasTitle(window, L"Log File") &&
                !hasTitle(window, L"Sound File"))
                return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        }
    };
    HWND found = nullptr;
    EnumWindows(Found::consider, reinterpret_cast<LPARAM>(&found));
    return found;
}

int chooser(HWND, int, char** argv) {
    HWND dialog = waitFor(findChooser);
    if (dialog == nullptr) return 1;
    wchar_t title[128];
    printWide(title, GetWindowTextW(dialog, title, 128));
    print("\n");
    Sleep(300);  // let it finish filling its lists
    wchar_t path[1024];
    toWide(argv[0], path, 1024);
    // The name box: a combo box (cmb13) in the Explorer style, an edit (edt1) in the old one.
    HWND name = GetDlgItem(dialog, cmb13);
    if (name == nullptr) name = GetDlgItem(dialog, edt1);
    if (name == nullptr) return 1;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path), SMTO_NORMAL, 5000, &result);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    for (DWORD waited = 0; waited < 3000; waited += 100) {
        Sleep(100);
        if (!IsWindow(dialog)) {
            print("chosen\n");
            return 0;
        }
    }
    // Refused: a message box of the chooser's own says why; close it and the chooser.
    HWND box = findMessageBox();
    if (box != nullptr) PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Sleep(300);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    print("refused\n");
    return 0;
}

int ping(HWND window, int, char** argv) {
    DWORD_PTR result = 0;
    UINT timeout = static_cast<UINT>(std::strtoul(argv[0], nullptr, 10));
    print(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result) ? "answered\n" : "held\n");
    return 0;
}

// ----- the tray icons' tips, read from the shell's tooltip windows

struct Remote {
    HANDLE process;
    char* memory;
};

bool openRemote(HWND window, size_t size, Remote* remote) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    remote->process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (remote->process == nullptr) return false;
    remote->memory = static_cast<char*>(VirtualAllocEx(remote->process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    return remote->memory != nullptr;
}

void closeRemote(Remote* remote) {
    if (remote->memory) VirtualFreeEx(remote->process, remote->memory, 0, MEM_RELEASE);
    if (remote->process) CloseHandle(remote->process);
}

void printTool(HWND tooltip, int index, const Remote& remote) {
    constexpr size_t kTextOffset = 4096;
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.lpszText = reinterpret_cast<wchar_t*>(remote.memory + kTextOffset);
    wchar_t text[1024] = L"";
    SIZE_T done = 0;
    WriteProcessMemory(remote.process, remote.memory, &info, sizeof info, &done);
    WriteProcessMemory(remote.process, remote.memory + kTextOffset, text, sizeof text, &done);
    if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, index, reinterpret_cast<LPARAM>(remote.memory))) return;
    ReadProcessMemory(remote.process, remote.memory, &info, sizeof info, &done);
    ReadProcessMemory(remote.process, remote.memory + kTextOffset, text, sizeof text - sizeof(wchar_t), &done);
    text[1023] = 0;
    // Wine keeps the tool of a deleted icon, with an empty rectangle.
    RECT rect = info.rect;
    if (IsRectEmpty(&rect)) return;
    MapWindowPoints(info.hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    char line[128];
    std::snprintf(line, sizeof line, "%ldx%ld+%ld+%ld ", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                  rect.top);
    print(line);
    printWide(text);
    print("\n");
}

BOOL CALLBACK printTooltipTools(HWND window, LPARAM) {
    if (!hasClass(window, "tooltips_class32")) return TRUE;
    int count = static_cast<int>(SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0));
    Remote remote{};
    if (count > 0 && openRemote(window, 8192, &remote))
        for (int i = 0; i < count; ++i) printTool(window, i, remote);
    closeRemote(&remote);
    return TRUE;
}

int tips(HWND, int, char**) {
    EnumWindows(printTooltipTools, 0);
    return 0;
}

// ----- the program's windows

BOOL CALLBACK printWindow(HWND window, LPARAM all) {
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (all) {
        print(className);
        print(" ");
    } else if (!ownedByProgram(window) || std::strcmp(className, "#32770") != 0) {
        return TRUE;
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    char line[160];
    std::snprintf(line, sizeof line, "%s %s %s %s %ldx%ld+%ld+%ld ",
                  GetWindow(window, GW_OWNER) ? "owned" : "unowned", IsWindowVisible(window) ? "visible" : "hidden",
                  IsIconic(window) ? "minimised" : "normal", GetForegroundWindow() == window ? "foreground" : "back",
                  rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
    print(line);
    wchar_t title[256];
    printWide(title, GetWindowTextW(window, title, 256));
    print("\n");
    return TRUE;
}

int windows(HWND, int argc, char** argv) {
    EnumWindows(printWindow, argc > 0 && std::strcmp(argv[0], "all") == 0);
    return 0;
}

int place(HWND window, int, char** argv) {
    return SetWindowPos(window, nullptr, std::atoi(argv[0]), std::atoi(argv[1]), std::atoi(argv[2]),
                        std::atoi(argv[3]), SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 1;
}

// ----- an event program of the tests' own

void appendLine(const char* file, const char* name, const char* what) {
    FILE* out = std::fopen(file, "ab");
    if (out == nullptr) return;
    std::fprintf(out, "%s %s\n", name, what);
    std::fclose(out);
}

// With RELEASE, it ends as soon as that file exists (MS at most), so a
// test sees it running for as long as it needs, however slow the machine.
int mark(int argc, char** argv) {
    if (argc < 3) return 2;
    appendLine(argv[0], argv[1], "start");
    DWORD ms = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    if (argc < 4) {
        Sleep(ms);
    } else {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
            if (GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES) break;
            Sleep(50);
        }
    }
    appendLine(argv[0], argv[1], "end");
    return 0;
}

struct Entry {
    const char* name;
    int arguments;  // at least
    Command run;
    bool needsWindow;
};

const Entry kCommands[] = {
    {"caption", 0, printCaption, true},  {"restore", 0, restore, true},     {"exit", 0, pressExit, true},
    {"sound", 0, pressSound, true},      {"log", 0, pressLog, true},        {"press", 1, press, true},
    {"click", 1, click, true},           {"get", 1, get, true},             {"enabled", 1, enabled, true},
    {"set", 2, set, true},               {"select", 2, select, true},       {"broadcast", 1, broadcast, true},
    {"endsession", 1, endSession, true}, {"tray", 1, tray, true},           {"menu", 0, menu, false},
    {"msgbox", 0, messageBox, false},    {"chooser", 1, chooser, false},    {"ping", 1, ping, true},
    {"tips", 0, tips, false},            {"windows", 0, windows, false},    {"place", 4, place, true},
    {"logoff", 0, logOff, false},        {"text", 1, controlText, true},    {"fits", 2, fits, true},
    {"syscommand", 1, sysCommand, true},
};

int usage() {
    print("usage: e2e_driver [--image NAME] [--window TITLE] [--wait MS] COMMAND ARGS... (see its source)\n");
    return 2;
}

// The arguments as UTF-8: main's own are in the ANSI code page, which
// cannot hold every title.
char** utf8Arguments(int* argc) {
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), argc);
    if (wide == nullptr) return nullptr;
    auto** argv = static_cast<char**>(std::calloc(*argc + 1, sizeof(char*)));
    for (int i = 0; argv && i < *argc; ++i) {
        int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        argv[i] = static_cast<char*>(std::calloc(bytes > 0 ? bytes : 1, 1));
        if (argv[i] && bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argv[i], bytes, nullptr, nullptr);
    }
    LocalFree(wide);
    return argv;
}

}  // namespace

int run() {
    int argc = 0;
    char** argv = utf8Arguments(&argc);
    if (argv == nullptr) return 2;
    int next = 1;
    for (; next + 1 < argc && argv[next][0] == '-' && argv[next][1] == '-'; next += 2) {
        if (std::strcmp(argv[next], "--image") == 0) imageName = argv[next + 1];
        else if (std::strcmp(argv[next], "--window") == 0) windowTitle = argv[next + 1];
        else if (std::strcmp(argv[next], "--wait") == 0) waitMs = std::strtoul(argv[next + 1], nullptr, 10);
        else return usage();
    }
    if (next >= argc) return usage();
    const char* name = argv[next++];
    int count = argc - next;
    if (std::strcmp(name, "mark") == 0) return mark(count, argv + next);
    for (const Entry& entry : kCommands) {
        if (std::strcmp(name, entry.name) != 0) continue;
        if (count < entry.arguments) return usage();
        HWND window = nullptr;
        if (entry.needsWindow && (window = targetWindow()) == nullptr) return 1;
        return entry.run(window, count, argv + next);
    }
    return usage();
}

int main(int, char**) {
    int status = run();
    char call[32], said[64];
    DWORD callLength = GetEnvironmentVariableA("E2E_CALL", call, sizeof call);
    if (callLength > 0 && callLength < sizeof call) {
        int length = std::snprintf(said, sizeof said, "e2e_driver %s: exit %d\n", call, status);
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), said, static_cast<DWORD>(length), &written, nullptr);
    }
    return status;
}
