// Where DLLs come from: the system directory, never the program's folder
// or the current directory (a downloads folder may hold a planted copy).
#include "platform/win32/win32_internal.h"

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// Present from Windows 8, and on Windows 7 with its loader update; its
// presence also means LoadLibraryEx knows the LOAD_LIBRARY_SEARCH flags.
SetDefaultDllDirectoriesFn setDefaultDllDirectories() {
    return procAddress<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
}

}  // namespace

void win32RestrictDllSearch() {
    if (SetDefaultDllDirectoriesFn restrict = setDefaultDllDirectories()) restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

HMODULE loadSystemLibrary(const wchar_t* name) {
    if (setDefaultDllDirectories()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Older systems: a full path, and its own dependencies looked up beside it first.
    wchar_t path[MAX_PATH + 1];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    size_t nameLength = wcslen(name);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH + 1) return nullptr;
    if (path[length - 1] != L'\\') path[length++] = L'\\';
    memcpy(path + length, name, (nameLength + 1) * sizeof(wchar_t));
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
