// The power status from the kernel's power-supply class: mains adapters
// and USB supplies say whether the line is online, batteries their status
// and charge. Peripherals (a mouse's battery, scope "Device") are not the
// system's. Attributes are read by descriptor, so no path is ever built.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr char kSupplies[] = "/sys/class/power_supply";

// Enough for any machine; a tree that holds more is not a real one.
constexpr int kMostSupplies = 64;

// Far above any real battery in µWh or µAh, and low enough that the
// products below stay inside 64 bits.
constexpr int64_t kLargestReading = 1000000000000;

struct Battery {
    int percent;         // 0..100, or -1 when the battery does not say
    int64_t energyNow;   // µWh, or -1
    int64_t energyFull;  // µWh, or -1
    bool charging;
    bool discharging;
    bool onMains;  // full or not charging: only the mains can say that
};

struct Supplies {
    int batteryCount;
    int percentCount;    // batteries that gave a percentage
    int energyCount;     // ... and their energy as well
    int64_t percentSum;
    int64_t energyNowSum;
    int64_t energyFullSum;
    bool charging;
    bool discharging;
    bool batteryOnMains;
    bool mainsSeen;
    bool mainsOnline;
};

// The first line of a small attribute, without its line end. False when it
// is missing, unreadable or empty.
bool readAttribute(int dir, const char* name, char* out, size_t size) {
    int fd = openat(dir, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    ssize_t got;
    do got = read(fd, out, size - 1);
    while (got < 0 && errno == EINTR);
    close(fd);
    if (got <= 0) return false;
    out[got] = '\0';
    out[strcspn(out, "\r\n")] = '\0';
    return out[0] != '\0';
}

bool attributeIs(int dir, const char* name, const char* expected) {
    char text[64];
    return readAttribute(dir, name, text, sizeof text) && strcmp(text, expected) == 0;
}

// A whole decimal number from 0 to kLargestReading; anything else is no reading.
bool readNumber(int dir, const char* name, int64_t* out) {
    char text[32];
    if (!readAttribute(dir, name, text, sizeof text)) return false;
    int64_t value = 0;
    const char* p = text;
    if (*p == '\0') return false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > kLargestReading) return false;
    }
    while (*p == ' ') ++p;
    if (*p != '\0' || p == text) return false;
    *out = value;
    return true;
}

int percentOf(int64_t now, int64_t full) {
    if (full <= 0) return -1;
    int64_t percent = now * 100 / full;  // truncated, as the kernel's own capacity
    return percent > 100 ? 100 : static_cast<int>(percent);
}

void readBattery(int dir, Battery* battery) {
    *battery = Battery{-1, -1, -1, false, false, false};
    char status[32];
    if (readAttribute(dir, "status", status, sizeof status)) {
        battery->charging = strcmp(status, "Charging") == 0;
        battery->discharging = strcmp(status, "Discharging") == 0;
        battery->onMains = strcmp(status, "Full") == 0 || strcmp(status, "Not charging") == 0;
    }
    int64_t now, full, volts;
    if (readNumber(dir, "energy_now", &now) && readNumber(dir, "energy_full", &full) && full > 0) {
        battery->energyNow = now;
        battery->energyFull = full;
    } else if (readNumber(dir, "charge_now", &now) && readNumber(dir, "charge_full", &full) && full > 0) {
        battery->percent = percentOf(now, full);
        // µAh at the design voltage in µV: µWh, comparable with other batteries.
        if ((readNumber(dir, "voltage_min_design", &volts) || readNumber(dir, "voltage_now", &volts)) && volts > 0 &&
            volts < 100000000) {
            battery->energyNow = now * (volts / 1000) / 1000;
            battery->energyFull = full * (volts / 1000) / 1000;
        }
    }
    if (battery->energyFull > 0) battery->percent = percentOf(battery->energyNow, battery->energyFull);
    // The kernel's own figure, where it gives one, is what the desktop shows.
    int64_t capacity;
    if (readNumber(dir, "capacity", &capacity)) {
        battery->percent = capacity > 100 ? 100 : static_cast<int>(capacity);
        if (battery->energyFull > 0 && battery->energyNow < 0) battery->energyNow = battery->energyFull * capacity / 100;
    }
    if (battery->percent < 0) battery->energyFull = battery->energyNow = -1;
}

void readSupply(int dir, Supplies* all) {
    if (attributeIs(dir, "scope", "Device")) return;
    char type[32];
    if (!readAttribute(dir, "type", type, sizeof type)) return;
    if (strcmp(type, "Mains") == 0 || strncmp(type, "USB", 3) == 0) {
        int64_t online;
        if (!readNumber(dir, "online", &online)) return;
        all->mainsSeen = true;
        if (online != 0) all->mainsOnline = true;
        return;
    }
    if (strcmp(type, "Battery") != 0 || attributeIs(dir, "present", "0")) return;
    Battery battery;
    readBattery(dir, &battery);
    ++all->batteryCount;
    all->charging |= battery.charging;
    all->discharging |= battery.discharging;
    all->batteryOnMains |= battery.onMains;
    if (battery.percent < 0) return;
    ++all->percentCount;
    all->percentSum += battery.percent;
    if (battery.energyFull > 0) {
        ++all->energyCount;
        all->energyNowSum += battery.energyNow;
        all->energyFullSum += battery.energyFull;
    }
}

uint8_t lineStatus(const Supplies& all) {
    if (all.mainsOnline) return 1;
    if (all.mainsSeen) return 0;
    // No adapter to ask: the batteries tell, and a machine with none runs on mains.
    if (all.discharging) return 0;
    if (all.batteryCount == 0 || all.charging || all.batteryOnMains) return 1;
    return 255;
}

// Several batteries are one by their stored energy; where one of them does
// not tell its energy, each counts the same.
int combinedPercent(const Supplies& all) {
    if (all.percentCount == 0) return -1;
    if (all.percentCount == 1) return static_cast<int>(all.percentSum);
    if (all.energyCount == all.percentCount) return percentOf(all.energyNowSum, all.energyFullSum);
    return static_cast<int>(all.percentSum / all.percentCount);
}

}  // namespace

bool platformGetPowerStatus(PowerReading* out) {
    if (!out) return false;
    // Listed with getdents64 into a buffer of our own: opendir would take
    // memory from the heap at every check.
    int root = open(kSupplies, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) return false;
    Supplies all{};
    int seen = 0;
    alignas(dirent64) char entries[4096];
    ssize_t got;
    while (seen < kMostSupplies && (got = getdents64(root, entries, sizeof entries)) > 0) {
        for (ssize_t at = 0; at < got && seen < kMostSupplies;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
            at += entry->d_reclen;
            if (entry->d_name[0] == '.') continue;
            ++seen;
            int dir = openat(root, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dir < 0) continue;
            readSupply(dir, &all);
            close(dir);
        }
    }
    close(root);

    PowerReading reading{lineStatus(all), 128, 255};
    if (all.batteryCount > 0) {
        int percent = combinedPercent(all);
        if (percent < 0) {
            reading.batteryFlag = 255;
        } else {
            reading.batteryLifePercent = static_cast<uint8_t>(percent);
            // The system's levels: high above 66 %, low below 33 %, critical below 5 %.
            reading.batteryFlag = percent > 66 ? 1 : percent < 5 ? 4 : percent < 33 ? 2 : 0;
            if (all.charging) reading.batteryFlag |= 8;
        }
    }
    *out = reading;
    return true;
}
