// Any three texts through the path operations, into buffers large and
// small: outputs always end inside their buffers and hold no double quote.
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/paths.h"
#include "platform/sim/sim_platform.h"

static void check(const char* out, size_t size) {
    size_t length = strnlen(out, size);
    if (length == size || memchr(out, '"', length)) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::reset();
    if (size && data[0] & 1) sim::setCodePage(1252);
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string parts[3];
    size_t at = 0;
    for (std::string& part : parts) {
        size_t end = text.find('\n', at);
        part = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    char dir[kPathSize], name[kPathSize], ext[kPathSize], small[9];
    splitPath(parts[0].c_str(), dir, name, ext);
    check(dir, sizeof dir), check(name, sizeof name), check(ext, sizeof ext);
    splitPath(parts[0].c_str(), small, PathOut{}, PathOut{});
    check(small, sizeof small);
    makePath(parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), dir, size & 2);
    check(dir, sizeof dir);
    makePath(parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), small, size & 4);
    check(small, sizeof small);
    return 0;
}
