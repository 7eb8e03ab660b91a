// The options a Linux user expects of a program, handled before anything
// needs a display: --help, --version, --autostart on|off and --health[=json];
// and the language, from the locale or --lang ja|en.
#pragma once

// Chooses the language first (exit code 2 for a --lang without ja or en).
// Handles them when argv holds one (the first that does counts): prints to
// standard output (errors to standard error) and returns the exit code.
// -1 when there is none: the program then starts, its own options ("-A",
// "-$") keeping their meaning and any other word ignored.
int handleStandaloneOptions(int argc, char** argv);
