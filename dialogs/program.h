// The program from its command line to its end, once the single instance
// is settled: start-up, the main dialog for as long as it runs, shutdown.
#pragma once

// Returns the exit code, 0 on every path.
int runProgram(const char* commandLine);
