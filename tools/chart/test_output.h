// For the tests: what a temporary file received, read from its start; the
// file is closed.
#pragma once

#include <cstdio>
#include <string>

inline std::string contentOf(FILE* file) {
    std::string text;
    rewind(file);
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    fclose(file);
    return text;
}
