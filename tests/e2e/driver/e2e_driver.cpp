// Drives the running program from inside the same Wine prefix, so that the
// end-to-end tests and scripts/run can do what a user does with the mouse.
//
//   e2e_driver [--image NAME] caption [WAIT_MS]   prints the main window's caption (UTF-8)
//   e2e_driver [--image NAME] restore [WAIT_MS]   restores the main window, as its taskbar button does
//   e2e_driver [--image NAME] exit [WAIT_MS]      presses the main window's exit button
//   e2e_driver [--image NAME] sound [WAIT_MS]     presses its sound button (the sound dialog opens)
//   e2e_driver [--image NAME] log [WAIT_MS]       presses its log button (the log viewer opens)
//
// NAME is the program's executable name (default celwrd.exe). Each command
// waits at most WAIT_MS (default 10000) for the main window. Exit code 0 on
// success, 1 when the window did not appear, 2 on a usage error.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>

#include "resources/resource_ids.h"

namespace {

const char* imageName = "celwrd.exe";

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

// The main window is the program's unowned dialog; the program also owns
// helper windows such as "Default IME", which are not dialogs.
BOOL CALLBACK considerWindow(HWND window, LPARAM result) {
    char className[64];
    if (GetWindow(window, GW_OWNER) != nullptr) return TRUE;
    if (GetClassNameA(window, className, sizeof className) == 0 || std::strcmp(className, "#32770") != 0) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!processHasImage(pid)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND waitForMainWindow(DWORD waitMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND found = nullptr;
        EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&found));
        if (found != nullptr) return found;
        if (GetTickCount() - start >= waitMs) return nullptr;
        Sleep(100);
    }
}

void writeOut(const char* text, int length) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
}

int printCaption(HWND window) {
    wchar_t wide[512];
    int length = GetWindowTextW(window, wide, 512);
    char utf8[2048];
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8, sizeof utf8 - 1, nullptr, nullptr);
    utf8[bytes] = '\n';
    writeOut(utf8, bytes + 1);
    return 0;
}

// The same message a click on the button sends, so the program takes its
// ordinary path; posted, since a modal dialog may open and stay.
int press(HWND window, int id) {
    HWND button = GetDlgItem(window, id);
    return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) ? 0 : 1;
}

int pressExit(HWND window) { return press(window, IDC_EXIT); }
int pressSound(HWND window) { return press(window, IDC_SOUND); }
int pressLog(HWND window) { return press(window, IDC_LOG_VIEW); }

int restore(HWND window) {
    return PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0) ? 0 : 1;
}

int usage() {
    const char text[] = "usage: e2e_driver [--image NAME] caption|restore|exit|sound|log [WAIT_MS]\n";
    writeOut(text, sizeof text - 1);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int next = 1;
    if (next + 1 < argc && std::strcmp(argv[next], "--image") == 0) {
        imageName = argv[next + 1];
        next += 2;
    }
    if (next >= argc) return usage();
    const char* command = argv[next++];
    int (*const commands[])(HWND) = {printCaption, restore, pressExit, pressSound, pressLog};
    const char* const names[] = {"caption", "restore", "exit", "sound", "log"};
    constexpr int kCommands = sizeof names / sizeof names[0];
    int chosen = 0;
    while (chosen < kCommands && std::strcmp(command, names[chosen]) != 0) ++chosen;
    if (chosen == kCommands) return usage();
    DWORD waitMs = next < argc ? static_cast<DWORD>(std::strtoul(argv[next], nullptr, 10)) : 10000;
    HWND window = waitForMainWindow(waitMs);
    if (window == nullptr) return 1;
    return commands[chosen](window);
}
