#include "app/command_line.h"

#include <cstdlib>
#include <cstring>

#include "settings/settings_file.h"

static char* commandLineCopy;

// Control bytes and the blank separate tokens. Bytes from 0x80 up belong to
// the token: they are the characters of a Japanese path.
static bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

static char* skipBlanks(char* p) {
    while (*p && isBlank(*p)) ++p;
    return p;
}

static char* parseOption(char* p) {
    char letter = p[1];
    if (letter == '$') traceEnabled = 1;
    if (letter == 'a' || letter == 'A') autoExit = 1;
    while (*p && !isBlank(*p)) ++p;
    return p;
}

// Ends the argument at the first blank outside double quotes; the quotes
// stay unless they enclose the whole argument.
static char* parseArgument(char* p) {
    char* start = p;
    bool quoted = false;
    while (*p && (quoted || !isBlank(*p))) {
        if (*p == '"') quoted = !quoted;
        ++p;
    }
    char* next = p;
    if (*p) {
        *p = '\0';
        ++next;
    }
    size_t length = static_cast<size_t>(p - start);
    if (length >= 2 && start[0] == '"' && start[length - 1] == '"') {
        start[length - 1] = '\0';
        arguments[argumentCount - 1] = start + 1;
    }
    return next;
}

// The program's directory and base name name its own files: when either,
// or the settings file built from them, does not fit, those would be some
// other files (the settings in "C:\.INI", say).
static bool ownFileNamesFit() {
    char baseName[kPathSize];
    if (programFoldersSet()) {
        if (!splitPath(arguments[0], PathOut{}, baseName, PathOut{})) return false;
    } else {
        if (!splitPath(arguments[0], programDirectory, baseName, PathOut{})) return false;
        memcpy(filesDirectory, programDirectory, sizeof filesDirectory);
    }
    char settingsFile[kPathSize];
    settingsFilePath(settingsFile);
    return settingsFile[0] != '\0';
}

int parseCommandLine(const char* commandLine) {
    if (!commandLine) commandLine = "";
    free(commandLineCopy);
    commandLineCopy = static_cast<char*>(malloc(strlen(commandLine) + 1));
    if (!commandLineCopy) return 0;
    strcpy(commandLineCopy, commandLine);

    argumentCount = 0;
    bool ownNamesFit = true;
    traceEnabled = 0;
    autoExit = 0;
    if (!programFoldersSet()) programDirectory[0] = filesDirectory[0] = '\0';
    char* p = skipBlanks(commandLineCopy);
    while (*p) {
        if (*p == '-') {
            p = parseOption(p);
        } else {
            arguments[argumentCount++] = p;
            // The last slot keeps the rest of the line as it is.
            if (argumentCount == kMaxArguments) break;
            p = parseArgument(p);
        }
        if (argumentCount == 1) ownNamesFit = ownFileNamesFit();
        p = skipBlanks(p);
    }
    return ownNamesFit ? argumentCount : 0;
}
