// The power status from the kernel's power-supply class: mains adapters
// and USB supplies say whether the line is online, batteries their status
// and charge. Peripherals (a mouse's battery, scope "Device") are not the
// system's. Attributes are read by descriptor, so no path is ever built.
//
// A check comes every second or so for months: the supplies' directories
// and attribute files stay open and each attribute is read again from
// offset 0, as sysfs makes it anew for every read. The class is listed
// again only when a supply comes or goes (a uevent of the kernel), when
// the tree was changed under us (a file replaced, as the tests do), and
// once a minute or so in any case.
#include <dirent.h>
#include <fcntl.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr char kSupplies[] = "/sys/class/power_supply";

// Enough for any machine; a tree that holds more is not a real one.
constexpr int kMostSupplies = 32;

// Checks between two listings when nothing said the tree changed.
constexpr unsigned kListEvery = 64;

enum Attribute {
    kScope, kType, kOnline, kPresent, kStatus, kEnergyNow, kEnergyFull, kChargeNow, kChargeFull,
    kVoltageMinDesign, kVoltageNow, kCapacity, kAttributeCount
};
const char* const kAttributeNames[kAttributeCount] = {
    "scope", "type", "online", "present", "status", "energy_now", "energy_full", "charge_now", "charge_full",
    "voltage_min_design", "voltage_now", "capacity",
};

constexpr int kNotOpened = -2;  // a file descriptor not asked for yet; -1: missing

struct Supply {
    int dir;
    int files[kAttributeCount];
};

// What stays open between checks.
struct Tree {
    bool listed;
    bool stale;  // a file was found replaced or gone: list again
    bool sysfs;  // the kernel's own tree, whose files are never replaced
    dev_t device;
    ino_t inode;
    timespec modified;
    int count;
    Supply supplies[kMostSupplies];
    int uevents;  // the kernel's uevents, or -1
    unsigned checks;
};
Tree tree{false, false, false, 0, 0, {}, 0, {}, -1, 0};

void closeTree() {
    for (int i = 0; i < tree.count; ++i) {
        Supply& supply = tree.supplies[i];
        for (int& fd : supply.files)
            if (fd >= 0) close(fd);
        close(supply.dir);
    }
    tree.count = 0;
    tree.listed = false;
}

// Listed with getdents64 into a buffer of our own: opendir would take
// memory from the heap.
bool listTree(const struct stat& root) {
    closeTree();
    int dir = open(kSupplies, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    struct statfs filesystem;
    tree.sysfs = fstatfs(dir, &filesystem) == 0 && filesystem.f_type == SYSFS_MAGIC;
    alignas(dirent64) char entries[4096];
    ssize_t got;
    while (tree.count < kMostSupplies && (got = getdents64(dir, entries, sizeof entries)) > 0) {
        for (ssize_t at = 0; at < got && tree.count < kMostSupplies;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
            at += entry->d_reclen;
            if (entry->d_name[0] == '.') continue;
            int supplyDir = openat(dir, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (supplyDir < 0) continue;
            Supply& supply = tree.supplies[tree.count++];
            supply.dir = supplyDir;
            for (int& fd : supply.files) fd = kNotOpened;
        }
    }
    close(dir);
    tree.listed = true;
    tree.stale = false;
    tree.device = root.st_dev;
    tree.inode = root.st_ino;
    tree.modified = root.st_mtim;
    return true;
}

// Whether the kernel said a supply came or went since the last check. The
// socket is only read here, so it never wakes the program.
bool suppliesCameOrWent() {
    if (tree.uevents == -2) return false;  // not to be had
    if (tree.uevents < 0) {
        tree.uevents = socket(AF_NETLINK, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
        sockaddr_nl address{};
        address.nl_family = AF_NETLINK;
        address.nl_groups = 1;  // the kernel's own events
        if (tree.uevents >= 0 && bind(tree.uevents, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(tree.uevents);
            tree.uevents = -1;
        }
        if (tree.uevents < 0) tree.uevents = -2;
        return false;
    }
    bool came = false;
    char event[2048];
    ssize_t got;
    while ((got = recv(tree.uevents, event, sizeof event - 1, MSG_DONTWAIT)) > 0 || (got < 0 && errno == EINTR)) {
        if (got <= 0) continue;
        event[got] = '\0';
        bool addOrRemove = strncmp(event, "add@", 4) == 0 || strncmp(event, "remove@", 7) == 0;
        // Its fields follow the header, each ended by a zero byte.
        for (ssize_t at = 0; addOrRemove && at < got; at += static_cast<ssize_t>(strlen(event + at)) + 1)
            if (strcmp(event + at, "SUBSYSTEM=power_supply") == 0) came = true;
    }
    return came;
}

// Ready for a check: false when there is no power-supply class.
bool freshTree() {
    struct stat root;
    if (stat(kSupplies, &root) != 0) {
        closeTree();
        return false;
    }
    bool moved = root.st_dev != tree.device || root.st_ino != tree.inode ||
                 root.st_mtim.tv_sec != tree.modified.tv_sec || root.st_mtim.tv_nsec != tree.modified.tv_nsec;
    bool came = suppliesCameOrWent();
    if (tree.listed && !tree.stale && !moved && !came && ++tree.checks % kListEvery != 0) return true;
    return listTree(root);
}

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
bool readAttribute(Supply& supply, Attribute attribute, char* out, size_t size) {
    int& fd = supply.files[attribute];
    if (fd == kNotOpened) {
        fd = openat(supply.dir, kAttributeNames[attribute], O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) fd = -1;
    }
    if (fd < 0) return false;
    ssize_t got;
    do got = pread(fd, out, size - 1, 0);
    while (got < 0 && errno == EINTR);
    // A device that went away, or (in a tree not the kernel's) a file
    // replaced under the same name.
    struct stat file;
    if ((got < 0 && errno == ENODEV) || (!tree.sysfs && (fstat(fd, &file) != 0 || file.st_nlink == 0)))
        tree.stale = true;
    if (got <= 0) return false;
    out[got] = '\0';
    out[strcspn(out, "\r\n")] = '\0';
    return out[0] != '\0';
}

bool attributeIs(Supply& supply, Attribute attribute, const char* expected) {
    char text[64];
    return readAttribute(supply, attribute, text, sizeof text) && strcmp(text, expected) == 0;
}

// A whole decimal number from 0 to kLargestReading; anything else is no reading.
bool readNumber(Supply& supply, Attribute attribute, int64_t* out) {
    char text[32];
    if (!readAttribute(supply, attribute, text, sizeof text)) return false;
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

void readBattery(Supply& dir, Battery* battery) {
    *battery = Battery{-1, -1, -1, false, false, false};
    char status[32];
    if (readAttribute(dir, kStatus, status, sizeof status)) {
        battery->charging = strcmp(status, "Charging") == 0;
        battery->discharging = strcmp(status, "Discharging") == 0;
        battery->onMains = strcmp(status, "Full") == 0 || strcmp(status, "Not charging") == 0;
    }
    int64_t now, full, volts;
    if (readNumber(dir, kEnergyNow, &now) && readNumber(dir, kEnergyFull, &full) && full > 0) {
        battery->energyNow = now;
        battery->energyFull = full;
    } else if (readNumber(dir, kChargeNow, &now) && readNumber(dir, kChargeFull, &full) && full > 0) {
        battery->percent = percentOf(now, full);
        // µAh at the design voltage in µV: µWh, comparable with other batteries.
        if ((readNumber(dir, kVoltageMinDesign, &volts) || readNumber(dir, kVoltageNow, &volts)) && volts > 0 &&
            volts < 100000000) {
            battery->energyNow = now * (volts / 1000) / 1000;
            battery->energyFull = full * (volts / 1000) / 1000;
        }
    }
    if (battery->energyFull > 0) battery->percent = percentOf(battery->energyNow, battery->energyFull);
    // The kernel's own figure, where it gives one, is what the desktop shows.
    int64_t capacity;
    if (readNumber(dir, kCapacity, &capacity)) {
        battery->percent = capacity > 100 ? 100 : static_cast<int>(capacity);
        if (battery->energyFull > 0 && battery->energyNow < 0) battery->energyNow = battery->energyFull * capacity / 100;
    }
    if (battery->percent < 0) battery->energyFull = battery->energyNow = -1;
}

void readSupply(Supply& dir, Supplies* all) {
    if (attributeIs(dir, kScope, "Device")) return;
    char type[32];
    if (!readAttribute(dir, kType, type, sizeof type)) return;
    if (strcmp(type, "Mains") == 0 || strncmp(type, "USB", 3) == 0) {
        int64_t online;
        if (!readNumber(dir, kOnline, &online)) return;
        all->mainsSeen = true;
        if (online != 0) all->mainsOnline = true;
        return;
    }
    if (strcmp(type, "Battery") != 0 || attributeIs(dir, kPresent, "0")) return;
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

// One pass over the open tree; false when a file was found replaced.
bool readTree(Supplies* all) {
    *all = Supplies{};
    for (int i = 0; i < tree.count; ++i) readSupply(tree.supplies[i], all);
    return !tree.stale;
}

}  // namespace

bool platformGetPowerStatus(PowerReading* out) {
    if (!out || !freshTree()) return false;
    Supplies all;
    if (!readTree(&all)) {
        struct stat root;
        if (stat(kSupplies, &root) != 0 || !listTree(root)) return false;
        readTree(&all);
    }

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
