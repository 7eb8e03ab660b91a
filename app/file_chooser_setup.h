// What a file chooser opens with: title, filter list, starting file and
// directory. Prepared once at start-up and refreshed before every opening.
// Title and filter are interface text in UTF-8; the four path fields are
// bytes in the system code page, like every path the program keeps.
#pragma once

struct FileChooserSetup {
    char title[256];
    char filter[1024];  // description \0 pattern \0 ... \0 \0
    char file[260];
    char initialDirectory[260];
    char defaultExtension[260];
    char fileTitle[260];
};

// One for the log file and one per sound, in the order of the sound rows.
extern FileChooserSetup logFileChooser;
extern FileChooserSetup soundFileChoosers[6];

// `extraFilters` is a ";"-separated list of further description and
// pattern pairs. The filter list always ends with its empty string, also
// when it had to be cut.
void setupFileChooser(FileChooserSetup& setup, const char* title, const char* description,
                      const char* pattern, const char* extraFilters, const char* currentPath,
                      const char* defaultExtension, const char* fileTitle);

// Before each opening: the whole current path and its directory.
void refreshFileChooser(FileChooserSetup& setup, const char* currentPath);

// Prepares the seven choosers; the log chooser starts from `logFileName`.
void prepareFileChoosers(const char* logFileName);
