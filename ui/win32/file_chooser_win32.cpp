// The system's open-file chooser for dialogs/file_chooser.
#include <windows.h>

#include <commdlg.h>

#include "app/file_chooser_setup.h"
#include "dialogs/controls.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/ui_win32.h"

// The filter list is zero-separated pieces ending in an empty one; each
// piece is UTF-8 text of the program's.
static void widenFilter(const char (&filter)[1024], wchar_t (&out)[1024]) {
    size_t at = 0, written = 0;
    while (at < sizeof filter && filter[at] && written + 2 < 1024) {
        widenFromUtf8(filter + at, out + written, 1024 - written - 1);
        written += wcslen(out + written) + 1;
        at += strnlen(filter + at, sizeof filter - at) + 1;
    }
    out[written] = L'\0';
    if (written + 1 < 1024) out[written + 1] = L'\0';
}

// Wine's chooser takes the default extension off again when no such file
// exists yet; a new log file typed without one still gets it, as on Windows.
static void addDefaultExtension(wchar_t (&path)[260], const wchar_t* extension) {
    if (!extension || !extension[0] || GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return;
    const wchar_t* name = wcsrchr(path, L'\\');
    if (wcschr(name ? name : path, L'.')) return;
    size_t length = wcslen(path), added = wcslen(extension);
    if (length + 1 + added >= 260) return;
    path[length] = L'.';
    memcpy(path + length + 1, extension, (added + 1) * sizeof(wchar_t));
}

bool runFileChooser(WindowHandle owner, const FileChooserSetup& setup, char (&file)[260],
                    const char* defaultExtension) {
    static wchar_t filter[1024];
    wchar_t title[256], path[260], directory[260], extension[16], fileTitle[260] = L"";
    widenFilter(setup.filter, filter);
    widenFromUtf8(setup.title, title);
    widenFromCodePage(file, path);
    widenFromCodePage(setup.initialDirectory, directory);
    widenFromCodePage(defaultExtension, extension);

    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = toHwnd(owner);
    request.lpstrFilter = filter;
    request.lpstrFile = path;
    request.nMaxFile = 260;
    request.lpstrFileTitle = fileTitle;
    request.nMaxFileTitle = 260;
    request.lpstrInitialDir = directory[0] ? directory : nullptr;
    request.lpstrTitle = title;
    request.lpstrDefExt = extension[0] ? extension : nullptr;
    // The program's own files may be named relative to the current
    // directory, so the chooser must not change it.
    request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&request)) return false;
    addDefaultExtension(path, request.lpstrDefExt);
    // A name with characters the code page lacks could not be opened again.
    char chosen[260];
    if (!narrowToCodePage(path, chosen, sizeof chosen)) return false;
    memcpy(file, chosen, sizeof chosen);
    return true;
}
