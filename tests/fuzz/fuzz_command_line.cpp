// Any bytes as a command line: the arguments stay inside the copy and the
// program directory stays within its buffer.
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "platform/sim/sim_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::reset();
    std::string line(reinterpret_cast<const char*>(data), size);
    int count = parseCommandLine(line.c_str());
    if (count < 0 || count > kMaxArguments || (count != 0 && count != argumentCount)) abort();
    for (int i = 0; i < count; ++i)
        if (strlen(arguments[i]) > line.size()) abort();
    if (strnlen(programDirectory, sizeof programDirectory) == sizeof programDirectory) abort();
    char base[kPathSize];
    programBaseName(base);
    return 0;
}
