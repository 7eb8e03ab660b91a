#include "base/program.h"

char* arguments[kMaxArguments];
int argumentCount;
char programDirectory[kPathSize];
int traceEnabled;
int autoExit;

void programBaseName(char (&out)[kPathSize]) {
    splitPath(argumentCount > 0 ? arguments[0] : "", PathOut{}, out, PathOut{});
}
