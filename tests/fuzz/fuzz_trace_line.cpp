// Any bytes as a line of a power trace: a parsed line holds a valid time.
#include <cstdlib>
#include <string>

#include "monitor/local_time.h"
#include "trace_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TraceLine line;
    const char* error = nullptr;
    TraceParse result = parseTraceLine(text.c_str(), &line, &error);
    int64_t count;
    if (result == TraceParse::Line && !toTimeCount(line.time, &count)) abort();
    if (result == TraceParse::Error && !error) abort();
    return 0;
}
