#include "test_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

ScratchDirectory::ScratchDirectory() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/cw-linux-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

void writeWholeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool waitForFile(const std::string& path) {
    for (int i = 0; i < 200; ++i) {
        if (exists(path)) return true;
        usleep(50000);
    }
    return false;
}
