// Battery health from sysfs. A value the firmware does not know reads as
// an error (ENODEV) or its file is missing: both are unknown, never 0. So
// is a cycle count of 0, which is what drivers give when they do not
// count. Charge (µAh) becomes energy only at a voltage that says so.
#include "platform/linux/battery_health_sysfs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

void (*sysfsHealthListed)();

namespace {

constexpr int kMostSupplies = 32;
constexpr size_t kSupplyNameSize = 64;

// Far above any battery's µWh, µAh, µW or µV, and low enough that a
// product of two stays inside 64 bits after one of them is divided down.
constexpr int64_t kLargestValue = 1000000000000000;

// The first line of an attribute, without its line end; false when it is
// missing, unreadable (ENODEV) or empty.
bool readAttribute(int dir, const char* name, char* out, size_t size, size_t* length = nullptr) {
    int fd = openat(dir, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat info;
    ssize_t got = -1;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        do got = pread(fd, out, size - 1, 0);
        while (got < 0 && errno == EINTR);
    }
    close(fd);
    if (got <= 0) return false;
    out[got] = '\0';
    size_t end = strcspn(out, "\r\n");
    out[end] = '\0';
    if (length) *length = end;
    return end > 0;
}

// A whole decimal number, signed as some drivers give currents.
bool readValue(int dir, const char* name, int64_t* out) {
    char text[32];
    if (!readAttribute(dir, name, text, sizeof text)) return false;
    const char* p = text;
    bool negative = *p == '-';
    if (negative) ++p;
    if (*p < '0' || *p > '9') return false;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > kLargestValue) return false;
    }
    while (*p == ' ') ++p;
    if (*p != '\0') return false;
    *out = negative ? -value : value;
    return true;
}

// a µ × b µ in milli units (a × b / 10^9), or unknown.
int64_t milliProduct(int64_t a, int64_t b) {
    int64_t product;
    if (a <= 0 || b <= 0 || __builtin_mul_overflow(a, b, &product)) return kHealthUnknown;
    return product / 1000000000;
}

void readText(int dir, const char* name, char* out, size_t size) {
    char text[kHealthTextSize * 2];
    size_t length = 0;
    if (!readAttribute(dir, name, text, sizeof text, &length)) length = 0;
    setHealthText(out, size, text, length);
}

// µAh to mWh takes a voltage: the design's least, else its most, else now
// (as UPower does).
int64_t chargeVoltage(int dir) {
    int64_t volts;
    for (const char* name : {"voltage_min_design", "voltage_max_design", "voltage_now"})
        if (readValue(dir, name, &volts) && volts > 0) return volts;
    return kHealthUnknown;
}

// A capacity below 1 mWh or mAh is no reading.
int64_t milliOf(bool read, int64_t micro) { return read && micro >= 1000 ? micro / 1000 : kHealthUnknown; }

void readCapacities(int dir, BatteryHealth* battery) {
    int64_t design = 0, full = 0;
    bool haveDesign = readValue(dir, "energy_full_design", &design);
    bool haveFull = readValue(dir, "energy_full", &full);
    if (haveDesign || haveFull) {
        battery->designMwh = milliOf(haveDesign, design);
        battery->fullMwh = milliOf(haveFull, full);
        return;
    }
    haveDesign = readValue(dir, "charge_full_design", &design);
    haveFull = readValue(dir, "charge_full", &full);
    battery->designMah = milliOf(haveDesign, design);
    battery->fullMah = milliOf(haveFull, full);
    if (battery->designMah == kHealthUnknown && battery->fullMah == kHealthUnknown) return;
    int64_t volts = chargeVoltage(dir);
    if (volts == kHealthUnknown) return;
    if (battery->designMah != kHealthUnknown) battery->designMwh = milliProduct(design, volts);
    if (battery->fullMah != kHealthUnknown) battery->fullMwh = milliProduct(full, volts);
}

// The ACPI driver gives the power unsigned, and some drivers a current
// with a sign of their own: the battery's state says which way it flows.
void readPower(int dir, BatteryHealth* battery) {
    int64_t microVolts = kHealthUnknown, value;
    if (readValue(dir, "voltage_now", &value) && value > 0) {
        microVolts = value;
        battery->voltageMv = value / 1000;
    }
    int64_t milliWatts = kHealthUnknown;
    if (readValue(dir, "power_now", &value)) milliWatts = (value < 0 ? -value : value) / 1000;
    else if (readValue(dir, "current_now", &value) && microVolts != kHealthUnknown)
        milliWatts = value == 0 ? 0 : milliProduct(value < 0 ? -value : value, microVolts);
    if (milliWatts == kHealthUnknown) return;
    char status[32];
    if (!readAttribute(dir, "status", status, sizeof status)) status[0] = '\0';
    if (strcmp(status, "Charging") == 0) battery->powerMw = milliWatts;
    else if (strcmp(status, "Discharging") == 0) battery->powerMw = -milliWatts;
    else if (strcmp(status, "Full") == 0 || strcmp(status, "Not charging") == 0 || milliWatts == 0)
        battery->powerMw = 0;  // nothing flows in or out
}

bool attributeIs(int dir, const char* name, const char* expected) {
    char text[32];
    return readAttribute(dir, name, text, sizeof text) && strcmp(text, expected) == 0;
}

// A battery of the system's own; false for anything else, and for one
// that went away meanwhile.
bool readSupply(int dir, const char* name, BatteryHealth* battery) {
    if (attributeIs(dir, "scope", "Device") || !attributeIs(dir, "type", "Battery")) return false;
    if (attributeIs(dir, "present", "0")) return false;
    *battery = unknownBatteryHealth();
    setHealthText(battery->name, sizeof battery->name, name, strlen(name));
    readText(dir, "manufacturer", battery->maker, sizeof battery->maker);
    readText(dir, "model_name", battery->model, sizeof battery->model);
    readText(dir, "serial_number", battery->serial, sizeof battery->serial);
    readText(dir, "technology", battery->technology, sizeof battery->technology);
    readCapacities(dir, battery);
    int64_t cycles;
    if (readValue(dir, "cycle_count", &cycles) && cycles > 0) battery->cycles = cycles;
    readPower(dir, battery);
    return true;
}

struct Listing {
    int count;
    char names[kMostSupplies][kSupplyNameSize];
};

// Listed with getdents64 into a buffer of our own, and sorted, so that
// BAT0 comes before BAT1 whatever order the folder keeps.
void listSupplies(int root, Listing* listing) {
    listing->count = 0;
    alignas(dirent64) char entries[4096];
    ssize_t got;
    while (listing->count < kMostSupplies && (got = getdents64(root, entries, sizeof entries)) > 0) {
        for (ssize_t at = 0; at < got && listing->count < kMostSupplies;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
            at += entry->d_reclen;
            size_t length = strlen(entry->d_name);
            if (entry->d_name[0] == '.' || length >= kSupplyNameSize) continue;
            memcpy(listing->names[listing->count++], entry->d_name, length + 1);
        }
    }
    for (int i = 1; i < listing->count; ++i)
        for (int j = i; j > 0 && strcmp(listing->names[j - 1], listing->names[j]) > 0; --j) {
            char swap[kSupplyNameSize];
            memcpy(swap, listing->names[j], kSupplyNameSize);
            memcpy(listing->names[j], listing->names[j - 1], kSupplyNameSize);
            memcpy(listing->names[j - 1], swap, kSupplyNameSize);
        }
}

constexpr char kSupplies[] = "/sys/class/power_supply";

HealthReading finished;
bool haveFinished;

}  // namespace

bool readSysfsBatteryHealth(const char* root, HealthReading* out) {
    out->count = 0;
    int dir = open(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    Listing listing;
    listSupplies(dir, &listing);
    if (sysfsHealthListed) sysfsHealthListed();
    for (int i = 0; i < listing.count && out->count < kMostBatteries; ++i) {
        int supply = openat(dir, listing.names[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (supply < 0) continue;  // gone since the listing
        if (readSupply(supply, listing.names[i], &out->batteries[out->count])) ++out->count;
        close(supply);
    }
    close(dir);
    return true;
}

// Read when asked, on the caller's thread, as the power status is read
// every second; handed out at the next look.
void platformStartHealthRead(bool) {
    if (haveFinished) return;
    readSysfsBatteryHealth(kSupplies, &finished);
    haveFinished = true;
}

bool platformFinishHealthRead(HealthReading* out) {
    if (!haveFinished || !out) return false;
    *out = finished;
    haveFinished = false;
    return true;
}

bool platformReadHealthNow(HealthReading* out) { return out && readSysfsBatteryHealth(kSupplies, out); }

int32_t platformUtcOffsetMinutes() {
    time_t now = time(nullptr);
    struct tm local;
    if (!localtime_r(&now, &local)) return 0;
    return static_cast<int32_t>(local.tm_gmtoff / 60);
}
