// Any bytes as a settings file: reading never overflows, and what is read is
// written back and read again unchanged.
#include <cstdlib>
#include <string>

#include "app/command_line.h"
#include "platform/sim/sim_platform.h"
#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::reset();
    initSettingsRecords();
    parseCommandLine("C:\\P\\celwrd.exe");
    const char* path = "C:\\P\\celwrd.INI";
    sim::putFile(path, std::string(reinterpret_cast<const char*>(data), size));
    readSettingsFile();
    if (!writeSettingsFile()) abort();
    std::string first = sim::fileContent(path);
    readSettingsFile();
    writeSettingsFile();
    if (sim::fileContent(path) != first) abort();
    return 0;
}
