// Picking a log or sound file with the system's chooser.
#pragma once

#include "app/file_chooser_setup.h"
#include "dialogs/controls.h"

// Runs the chooser on `setup`, owned by `owner`; on a confirmed choice the
// full path replaces setup.file. Returns whether a file was chosen; a name
// with a control character in it is never taken.
bool chooseFile(WindowHandle owner, FileChooserSetup& setup);

// A browse button: the chooser starts from `field`, a chosen path becomes
// `field`, and the edit `editId` is refreshed either way.
void browseForFile(WindowHandle dialog, FileChooserSetup& setup, char (&field)[260], int editId,
                   void (*refresh)(WindowHandle dialog, int id));
