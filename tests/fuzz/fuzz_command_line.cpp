// Any bytes as a command line: the arguments stay inside the copy and the
// program directory stays within its buffer; the language option is read
// without reading past the line, and a line without one leaves the
// language as it was.
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "base/language.h"
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
    Language language = Language::English;
    const int found = languageOption(line.c_str(), &language);
    if (found < -1 || found > 1 || (found == 0 && language != Language::English)) abort();
    return 0;
}
