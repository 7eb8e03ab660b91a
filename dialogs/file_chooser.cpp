#include "dialogs/file_chooser.h"

#include <cstring>

#include "base/text_util.h"

// "*.LOG" asks for "LOG": the part after the last dot.
static const char* extensionWithoutDot(const char* defaultExtension) {
    const char* dot = strrchr(defaultExtension, '.');
    return dot ? dot + 1 : defaultExtension;
}

bool chooseFile(WindowHandle owner, FileChooserSetup& setup) {
    char file[260];
    copyText(file, setup.file);
    if (!runFileChooser(owner, setup, file, extensionWithoutDot(setup.defaultExtension))) return false;
    // A line break in a name (Linux allows one) never becomes a setting.
    if (hasControlCharacter(file)) return false;
    copyText(setup.file, file);
    return true;
}

void browseForFile(WindowHandle dialog, FileChooserSetup& setup, char (&field)[260], int editId,
                   void (*refresh)(WindowHandle dialog, int id)) {
    refreshFileChooser(setup, field);
    if (chooseFile(dialog, setup)) copyText(field, setup.file);
    refresh(dialog, editId);
}
