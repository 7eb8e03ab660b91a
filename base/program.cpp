#include "base/program.h"

#include <cstring>

char* arguments[kMaxArguments];
int argumentCount;
char programDirectory[kPathSize];
char filesDirectory[kPathSize];
int traceEnabled;
int autoExit;

static bool foldersSet;

void programBaseName(char (&out)[kPathSize]) {
    splitPath(argumentCount > 0 ? arguments[0] : "", PathOut{}, out, PathOut{});
}

bool setProgramFolders(const char* programDir, const char* filesDir) {
    if (strlen(programDir) >= kPathSize || strlen(filesDir) >= kPathSize) return false;
    strcpy(programDirectory, programDir);
    strcpy(filesDirectory, filesDir);
    foldersSet = true;
    return true;
}

bool programFoldersSet() { return foldersSet; }

char* pathInFolder(const char* folder, const char* nameSource, const char* extSource, PathOut out,
                   bool takeNameExtension) {
    if (!out.text || out.size == 0) return out.text;
    size_t length = folder ? strlen(folder) : 0;
    out.text[0] = '\0';
    if (length >= out.size) return out.text;
    if (length) memcpy(out.text, folder, length);
    makePath(nullptr, nameSource, extSource, PathOut(out.text + length, out.size - length), takeNameExtension);
    // The name did not fit after the folder: no name at all.
    if (out.text[length] == '\0') out.text[0] = '\0';
    return out.text;
}
