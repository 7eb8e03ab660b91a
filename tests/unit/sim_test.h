// Every test starts from a fresh simulated machine, default settings and
// the monitor as it is when the program starts.
#pragma once

#include <gtest/gtest.h>

#include "actions/battery_log.h"
#include "actions/event_script.h"
#include "actions/health_history.h"
#include "app/power_broadcast.h"
#include "base/refused_files.h"
#include "monitor/health_watch.h"
#include "monitor/monitor_timers.h"
#include "monitor/presentation.h"
#include "base/language.h"
#include "platform/sim/sim_platform.h"
#include "ui/sim/sim_front_end.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        stopMainTimer();
        stopLogTimer();
        sim::reset();
        simui::resetScreen();
        initSettingsRecords();
        for (WindowPlacement& p : dialogPlacements) p = {kUseDefault, kUseDefault, kUseDefault, kUseDefault, 0};
        resetMonitor();
        resetEventScript();
        forgetTrayIcon();
        resetPowerBroadcasts();
        setEventScriptObserver(nullptr);
        setLogLineObserver(nullptr);
        resetRefusedFileNotices();
        setProgramLanguage(Language::Japanese);
        resetHealthWatch();
        setHistoryLineObserver(nullptr);
    }
};

inline LocalTime at(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    return LocalTime{static_cast<uint16_t>(year), static_cast<uint16_t>(month), 0,
                     static_cast<uint16_t>(day), static_cast<uint16_t>(hour), static_cast<uint16_t>(minute),
                     static_cast<uint16_t>(second), static_cast<uint16_t>(ms)};
}
