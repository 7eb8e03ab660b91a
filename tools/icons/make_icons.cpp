// celwrd-icons OUTDIR: writes icon01.ico .. icon13.ico into OUTDIR.
// The committed resources/icons/ are this program's output; regenerate them
// with it rather than editing them.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "icon_art.h"

namespace {

bool writeFile(const char* path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: celwrd-icons OUTDIR\n");
        return 2;
    }
    const char* dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);  // a failure shows at the first write
    const size_t length = std::strlen(dir);
    const char* separator = dir[length - 1] == '/' ? "" : "/";
    for (int id = 1; id <= kIconCount; ++id) {
        char path[4096];
        const int n = std::snprintf(path, sizeof path, "%s%sicon%02d.ico", dir, separator, id);
        if (n < 0 || size_t(n) >= sizeof path) {
            std::fprintf(stderr, "celwrd-icons: output directory name too long\n");
            return 1;
        }
        const std::vector<uint8_t> bytes = encodeIconFile(id);
        if (bytes.empty() || !writeFile(path, bytes)) {
            std::fprintf(stderr, "celwrd-icons: cannot write %s\n", path);
            return 1;
        }
    }
    return 0;
}
