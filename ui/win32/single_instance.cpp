// A second start shows the first instance's main dialog and brings it
// forward: the top-level, unowned dialog window of a process running the
// same program.
#include <windows.h>

#include <tlhelp32.h>

#include <cstring>

#include "platform/win32/win32_platform.h"
#include "ui/win32/ui_win32.h"

namespace {

using CreateSnapshot = HANDLE(WINAPI*)(DWORD, DWORD);
using WalkProcesses = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

struct Search {
    HANDLE snapshot;
    WalkProcesses first;
    WalkProcesses next;
    char ownName[MAX_PATH];
    HWND found;
};

// The executable name of process `id` in the snapshot equals ours.
bool runsOurProgram(const Search& search, DWORD id) {
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = search.first(search.snapshot, &entry); more; more = search.next(search.snapshot, &entry))
        if (entry.th32ProcessID == id) return strncmp(entry.szExeFile, search.ownName, MAX_PATH) == 0;
    return false;
}

// Every program also owns helper windows of the system's (the input
// method's "Default IME", say), top-level and unowned too: only a dialog
// window is the main dialog.
bool isDialogWindow(HWND hwnd) {
    char className[16];
    return GetClassNameA(hwnd, className, sizeof className) && strcmp(className, "#32770") == 0;
}

BOOL CALLBACK considerWindow(HWND hwnd, LPARAM context) {
    Search& search = *reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == GetCurrentProcessId() || GetWindow(hwnd, GW_OWNER)) return TRUE;
    if (isDialogWindow(hwnd) && runsOurProgram(search, process)) search.found = hwnd;
    return TRUE;
}

bool findOwnName(Search& search) {
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = search.first(search.snapshot, &entry); more; more = search.next(search.snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            memcpy(search.ownName, entry.szExeFile, MAX_PATH);
            search.ownName[MAX_PATH - 1] = '\0';
            return true;
        }
    return false;
}

}  // namespace

void activateOtherInstance() {
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    auto createSnapshot = procAddress<CreateSnapshot>(kernel, "CreateToolhelp32Snapshot");
    Search search{};
    search.first = procAddress<WalkProcesses>(kernel, "Process32First");
    search.next = procAddress<WalkProcesses>(kernel, "Process32Next");
    if (!createSnapshot || !search.first || !search.next) return;
    search.snapshot = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (search.snapshot == INVALID_HANDLE_VALUE) return;
    if (findOwnName(search)) EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
    CloseHandle(search.snapshot);
    if (!search.found) return;
    // The user started it to see it: the first instance shows its window
    // (minimised or hidden ones too), and may take the foreground we hold.
    DWORD first = 0;
    GetWindowThreadProcessId(search.found, &first);
    AllowSetForegroundWindow(first);
    DWORD_PTR ignored;
    SendMessageTimeoutW(search.found, showAgainMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    SetForegroundWindow(search.found);
}
