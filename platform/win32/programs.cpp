// The programs of the event script.
#include "platform/win32/win32_internal.h"

namespace {

// The longest command line CreateProcess takes; it may write into it.
char commandBuffer[32768];
char consoleTitle[] = "Cellwarden Execute Program...";

constexpr DWORD kPollMs = 100;

// The system looks for a program named without a directory in its parent's
// current directory, so the entry's directory is made ours while the
// program is created, and ours is put back as soon as it exists: the wait
// for it runs in our own directory. One we could not put back is never
// left: the program then starts in ours.
struct EnteredDirectory {
    char saved[MAX_PATH + 1];
    bool entered;
};

EnteredDirectory enterDirectory(const char* directory) {
    EnteredDirectory entry{};
    DWORD length = GetCurrentDirectoryA(sizeof entry.saved, entry.saved);
    if (length > 0 && length < sizeof entry.saved && directory && *directory)
        entry.entered = SetCurrentDirectoryA(directory) != FALSE;
    return entry;
}

void leaveDirectory(const EnteredDirectory& entry) {
    if (entry.entered) SetCurrentDirectoryA(entry.saved);
}

// Until the program's primary thread ends. An end of the session heard
// meanwhile runs its steps here, on this thread, and the wait goes on.
void waitForThread(HANDLE thread) {
    HANDLE handles[2] = {thread, sessionEndEvent()};
    const DWORD count = handles[1] ? 2 : 1;
    for (;;) {
        DWORD woke = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0 + 1) win32EndSession();
        // The program ended, or its handle cannot be waited on: either ends the wait.
        else break;
    }
}

}  // namespace

void platformLaunchProgram(const char* commandLine, const char* directory) {
    if (!commandLine) return;
    EnteredDirectory entry = enterDirectory(directory);
    WinExec(commandLine, SW_SHOWDEFAULT);
    leaveDirectory(entry);
}

bool platformRunProgramAndWait(const char* commandLine, const char* directory) {
    if (!commandLine) return false;
    size_t length = strlen(commandLine);
    // Cut, it would start a different command.
    if (length >= sizeof commandBuffer) return false;
    memcpy(commandBuffer, commandLine, length + 1);

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.lpTitle = consoleTitle;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    EnteredDirectory entry = enterDirectory(directory);
    BOOL created = CreateProcessA(nullptr, commandBuffer, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                                  &startup, &process);
    leaveDirectory(entry);
    if (!created) return false;

    // Someone else may have suspended it as well: resume until it runs.
    DWORD previousCount;
    while ((previousCount = ResumeThread(process.hThread)) != static_cast<DWORD>(-1) && previousCount > 1)
        Sleep(kPollMs);
    waitForThread(process.hThread);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
