// Scratch directories and whole-file helpers for the platform tests.
#pragma once

#include <string>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void writeWholeFile(const std::string& path, const std::string& content);
// The file's bytes, or "<missing>".
std::string readWholeFile(const std::string& path);
bool exists(const std::string& path);
// Polls up to about ten seconds for `path` to exist.
bool waitForFile(const std::string& path);
