// celwrd-icons OUTDIR: writes icon01.ico .. icon13.ico into OUTDIR.
// The committed resources/icons/ are this program's output; regenerate them
// with it rather than editing them.
//
// celwrd-icons --hicolor OUTDIR: writes the program's icon for the Linux
// desktop's icon theme, OUTDIR/NxN/apps/cellwarden.png from 16 to 256 px.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "icon_files.h"

namespace {

// The plain battery: the icon Explorer shows for the program.
constexpr int kProgramIcon = 1;
constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Writes DIR/NAME, making the folders on the way; says why when it cannot.
bool writeFile(const char* dir, const char* name, const std::vector<uint8_t>& bytes) {
    char path[4096];
    const int n = std::snprintf(path, sizeof path, "%s/%s", dir, name);
    if (n < 0 || size_t(n) >= sizeof path) {
        std::fprintf(stderr, "celwrd-icons: output directory name too long\n");
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::FILE* f = bytes.empty() ? nullptr : std::fopen(path, "wb");
    bool written = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) written = false;
    if (!written) std::fprintf(stderr, "celwrd-icons: cannot write %s\n", path);
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    const bool hicolor = argc == 3 && std::strcmp(argv[1], "--hicolor") == 0;
    if ((argc != 2 && !hicolor) || argv[argc - 1][0] == '\0') {
        std::fprintf(stderr, "usage: celwrd-icons [--hicolor] OUTDIR\n");
        return 2;
    }
    const char* dir = argv[argc - 1];
    char name[64];
    if (hicolor) {
        for (int size : kThemeSizes) {
            std::snprintf(name, sizeof name, "%dx%d/apps/cellwarden.png", size, size);
            if (!writeFile(dir, name, encodeIconPng(kProgramIcon, size))) return 1;
        }
        return 0;
    }
    for (int id = 1; id <= kIconCount; ++id) {
        std::snprintf(name, sizeof name, "icon%02d.ico", id);
        if (!writeFile(dir, name, encodeIconFile(id))) return 1;
    }
    return 0;
}
