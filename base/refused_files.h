// Telling the user about a file the program would not use because someone
// else could have written it: a settings file or an event script planted in
// a folder others can write to must never steer a program that runs as us.
#pragma once

enum RefusedFile { kRefusedSettings, kRefusedScript, kRefusedFileKinds };

// Tells the user once per run: a line on the platform's diagnostics at
// once, and a message box owned by the main window, at once when it stands
// and otherwise when showRefusedFileNotices is next called.
void tellRefusedFile(RefusedFile kind, const char* path);

// Shows the message boxes still owed, when there is a main window to own them.
void showRefusedFileNotices();

// Forgets what was told (a new run, for the tests).
void resetRefusedFileNotices();
