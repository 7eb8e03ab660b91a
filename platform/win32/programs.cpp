// The current directory and the programs of the event script.
#include "platform/win32/win32_internal.h"

namespace {

// The longest command line CreateProcess takes; it may write into it.
char commandBuffer[32768];
char consoleTitle[] = "Cellwarden Execute Program...";

constexpr DWORD kPollMs = 100;

}  // namespace

bool platformGetCurrentDirectory(char* out, size_t size) {
    if (!out || size == 0) return false;
    DWORD room = size < MAXDWORD ? static_cast<DWORD>(size) : MAXDWORD;
    DWORD length = GetCurrentDirectoryA(room, out);
    // A directory cut short is another directory: restoring it would be wrong.
    if (length == 0 || length >= room) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool platformSetCurrentDirectory(const char* dir) { return dir && SetCurrentDirectoryA(dir) != FALSE; }

void platformLaunchProgram(const char* commandLine) {
    if (commandLine) WinExec(commandLine, SW_SHOWDEFAULT);
}

bool platformRunProgramAndWait(const char* commandLine) {
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
    if (!CreateProcessA(nullptr, commandBuffer, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process))
        return false;

    // Someone else may have suspended it as well: resume until it runs.
    DWORD previousCount;
    while ((previousCount = ResumeThread(process.hThread)) != static_cast<DWORD>(-1) && previousCount > 1)
        Sleep(kPollMs);
    // Only WAIT_TIMEOUT keeps waiting: a handle that cannot be waited on ends the wait.
    while (WaitForSingleObject(process.hThread, 0) == WAIT_TIMEOUT) Sleep(kPollMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
