// What the program does with one file, done by whoever runs this: the
// trust tests run it as root and, through runuser, as an ordinary user.
//   trust_probe read PATH          0 believed, 1 refused, 3 not opened
//   trust_probe append PATH TEXT   a log line; 0 written
//   trust_probe create PATH TEXT   the trace; 0 written
//   trust_probe save PATH TEXT     the settings file; 0 saved in its place
#include <cstring>

#include "base/text_file.h"
#include "platform/platform.h"

namespace {

int writeWith(FileOpen mode, const char* path, const char* text) {
    PlatformFile* file = platformOpenFile(path, mode);
    if (!file) return 1;
    const bool written = platformWriteFile(file, text, strlen(text));
    return platformCloseFile(file) && written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const char* what = argv[1];
    const char* path = argv[2];
    const char* text = argc > 3 ? argv[3] : "";
    if (strcmp(what, "read") == 0) {
        PlatformFile* file = platformOpenFile(path, FileOpen::Read);
        if (!file) return 3;
        const bool believed = platformIsFileTrusted(file, path);
        platformCloseFile(file);
        return believed ? 0 : 1;
    }
    if (strcmp(what, "append") == 0) return writeWith(FileOpen::Append, path, text);
    if (strcmp(what, "create") == 0) return writeWith(FileOpen::Create, path, text);
    if (strcmp(what, "save") == 0) return writeFileReplacing(path, text, strlen(text)) ? 0 : 1;
    return 2;
}
