// Any bytes as a settings file: reading never overflows, what is read is
// written back and read again unchanged, and the file written is always its
// 38 lines: no control character ever gets into a value.
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
    int lines = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        if (first[i] == '\r' && i + 1 < first.size() && first[i + 1] == '\n') ++lines, ++i;
        else if (static_cast<unsigned char>(first[i]) < 0x20) abort();
    }
    if (lines != 38) abort();
    readSettingsFile();
    writeSettingsFile();
    if (sim::fileContent(path) != first) abort();
    return 0;
}
