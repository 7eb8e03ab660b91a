// Path names: splitting a path into directory, name and extension, and
// building the program's own file names from the pieces of others.
// Pure string work on fixed buffers; nothing here touches the file system.
#pragma once

#include <cstddef>

// Paths being built are held in buffers of this size.
constexpr size_t kPathSize = 264;

// An output buffer and its size; default-constructed it means "not wanted".
struct PathOut {
    char* text = nullptr;
    size_t size = 0;
    PathOut() = default;
    PathOut(char* t, size_t n) : text(t), size(n) {}
    template <size_t N>
    PathOut(char (&buffer)[N]) : text(buffer), size(N) {}
};

// Directory (with its trailing backslash, separators tidied), name (without
// extension) and extension (with its dot) of `path`; double quotes never
// reach an output. An output that would not fit is left empty rather than
// cut, so a cut path can never name a different file; false then.
bool splitPath(const char* path, PathOut dir, PathOut name, PathOut ext);

// Directory of dirSource + name of nameSource + extension of extSource
// (or of nameSource when takeNameExtension is set and its name has one).
// Any source may be null. Returns out.text; empty when it would not fit.
char* makePath(const char* dirSource, const char* nameSource, const char* extSource, PathOut out,
               bool takeNameExtension);
