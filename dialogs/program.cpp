#include "dialogs/program.h"

#include "app/command_line.h"
#include "app/lifecycle.h"
#include "app/trace.h"
#include "dialogs/dialog_frame.h"
#include "settings/settings_file.h"

int runProgram(const char* commandLine) {
    if (!parseCommandLine(commandLine)) return 0;
    earlyInitialise();
    startUp();
    // Always start put away, whatever the settings file recorded.
    dialogPlacements[kMainDialog].state = 1;
    openDialog(dialogFrames[kMainDialog]);
    shutDown();
    closeTraceFile();
    return 0;
}
