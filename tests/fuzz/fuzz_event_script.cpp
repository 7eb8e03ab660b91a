// Any bytes as an event script, run for every trigger: entries stay inside
// their line buffers and the current directory is always given back.
#include <cstdlib>
#include <cstring>
#include <string>

#include "actions/event_script.h"
#include "app/command_line.h"
#include "platform/sim/sim_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::reset();
    sim::setEveryDirectoryExists(true);
    parseCommandLine("C:\\P\\celwrd.exe");
    sim::putFile("C:\\P\\AUTOEXEC.CLW", std::string(reinterpret_cast<const char*>(data), size));
    for (int trigger = 0; trigger < kTriggerCount; ++trigger) runEventScript(trigger);
    for (const sim::Call& call : sim::calls())
        if (call.text.size() > 1023 || call.text.find('\n') != std::string::npos) abort();
    if (sim::currentDirectory() != "C:\\" || sim::openFileCount() != 0) abort();
    return 0;
}
