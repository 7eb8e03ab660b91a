// The two ticks that drive the monitor, on 100 ms grids. The main tick
// samples, turns kind and percentage changes into power events (programs,
// then sounds) and refreshes the display; the log tick writes log records.
// Each timer wakes only at the steps where its tick has something to do.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr uint32_t kTickMs = 100;

extern LocalTime displayStamp;  // display grid
extern LocalTime logStamp;      // time-based log grid
extern int32_t fullLatch;       // 1: the full alert may fire once
extern int32_t lowLatch;

// The monitor's own records as the program starts: no alert armed, the
// kind last reported AC-Line.
void resetMonitor();

// Starting a timer that runs restarts it, so at most one of each runs.
void startMainTimer();
void stopMainTimer();
void startLogTimer();
void stopLogTimer();
bool mainTimerRunning();
bool logTimerRunning();

// Arms both timers for the first step at which their tick has something
// to do. The ticks and the timers' starts do it themselves; call it after
// settings change in any other way (restored, read again).
void armMonitorTimers();

void mainTick();
void logTick();
