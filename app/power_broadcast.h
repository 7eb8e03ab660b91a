// Suspend, resume and the end of the Windows session: the monitor stops,
// closes its log, saves and runs the suspend programs on the way down, and
// rebuilds and restarts everything on the way up.
#pragma once

#include <cstdint>

// The codes of the system's power broadcasts.
enum : uint32_t {
    kPbtQuerySuspend = 0,
    kPbtQueryStandby = 1,
    kPbtQuerySuspendFailed = 2,
    kPbtQueryStandbyFailed = 3,
    kPbtSuspend = 4,
    kPbtStandby = 5,
    kPbtResumeCritical = 6,
    kPbtResumeSuspend = 7,
    kPbtResumeStandby = 8,
    kPbtResumeAutomatic = 18,
};

constexpr intptr_t kBroadcastQueryDeny = 0x424D5144;

// 0: the suspend may go ahead; 1: the user refused (or the question failed).
int confirmSuspend();

// The message result for a power broadcast.
intptr_t onPowerBroadcast(uint32_t code);

// The session ends: with `ending` set, the closing steps and [STOP] and
// [END].
intptr_t onEndSession(uintptr_t ending);

// Set once the suspend steps ran, cleared by the resume steps: one wake
// often brings two resume codes, and a granted query is often followed by
// the suspend notice itself.
extern bool suspendStepsDone;

// As the program starts: no suspend steps run.
void resetPowerBroadcasts();
