// Power readings from a power-supply tree of our own, mounted over the
// system's in a mount namespace private to this test process.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "test_files.h"

namespace {

const std::string kRoot = "/sys/class/power_supply";

class Power : public testing::Test {
protected:
    static inline bool mounted;
    static inline std::string why;

    static void SetUpTestSuite() {
        if (mounted) return;
        if (geteuid() != 0) why = "a private mount namespace needs root";
        else if (unshare(CLONE_NEWNS) != 0) why = "no mount namespace here";
        // Private first: nothing mounted here may reach the machine's own view.
        else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) why = "cannot make / private";
        else if (mount("cw-power", kRoot.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0) why = "cannot mount over " + kRoot;
        else mounted = true;
    }

    void SetUp() override {
        if (!mounted) GTEST_SKIP() << why;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(kRoot, ignored))
            std::filesystem::remove_all(entry.path(), ignored);
    }

    // "BAT0/status=Charging" makes the supply's directory and the file.
    static void build(const std::vector<std::string>& files) {
        for (const std::string& line : files) {
            size_t slash = line.find('/'), equals = line.find('=');
            std::filesystem::create_directories(kRoot + "/" + line.substr(0, slash));
            writeWholeFile(kRoot + "/" + line.substr(0, equals), line.substr(equals + 1) + "\n");
        }
    }

    static PowerReading read() {
        PowerReading reading{77, 77, 77};
        EXPECT_TRUE(platformGetPowerStatus(&reading));
        return reading;
    }
};

struct PowerCase {
    const char* name;
    std::vector<std::string> files;
    PowerReading expected;  // line, flag, percent
};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::string> kMainsOn = {"AC/type=Mains", "AC/online=1"};
const std::vector<std::string> kMainsOff = {"AC/type=Mains", "AC/online=0"};

std::vector<std::string> battery(const char* name, const char* status, const char* capacity) {
    std::string dir = name;
    return {dir + "/type=Battery", dir + "/present=1", dir + "/status=" + status, dir + "/capacity=" + capacity};
}

TEST_F(Power, ReadsTheThreeBytesAsTheSystemDoes) {
    const PowerCase cases[] = {
        {"empty tree: a desktop", {}, {1, 128, 255}},
        {"mains, no battery", kMainsOn, {1, 128, 255}},
        {"charging", kMainsOn + battery("BAT0", "Charging", "37"), {1, 8, 37}},
        {"not charging", kMainsOn + battery("BAT0", "Not charging", "50"), {1, 0, 50}},
        {"full", kMainsOn + battery("BAT0", "Full", "100"), {1, 1, 100}},
        {"discharging, low", kMainsOff + battery("BAT0", "Discharging", "20"), {0, 2, 20}},
        {"discharging, critical", kMainsOff + battery("BAT0", "Discharging", "3"), {0, 4, 3}},
        {"no adapter listed, discharging", battery("BAT0", "Discharging", "40"), {0, 0, 40}},
        {"no adapter listed, charging", battery("BAT0", "Charging", "40"), {1, 8, 40}},
        {"battery taken out", kMainsOn + std::vector<std::string>{"BAT0/type=Battery", "BAT0/present=0"}, {1, 128, 255}},
        {"charge counters only",
         kMainsOff + std::vector<std::string>{"BAT0/type=Battery", "BAT0/status=Discharging", "BAT0/charge_now=3700000",
                                              "BAT0/charge_full=10000000"},
         {0, 0, 37}},
        {"energy counters only",
         kMainsOff + std::vector<std::string>{"BAT0/type=Battery", "BAT0/status=Discharging", "BAT0/energy_now=15000000",
                                              "BAT0/energy_full=50000000"},
         {0, 2, 30}},
        {"USB-C supply online",
         std::vector<std::string>{"ucsi-source-psy-USBC000:001/type=USB", "ucsi-source-psy-USBC000:001/online=1"} +
             battery("BAT0", "Charging", "50"),
         {1, 8, 50}},
        {"USB-C supply and adapter both offline",
         kMainsOff + std::vector<std::string>{"usbc/type=USB", "usbc/online=0"} + battery("BAT0", "Discharging", "50"),
         {0, 0, 50}},
        {"a mouse's battery is not the system's",
         kMainsOn + std::vector<std::string>{"hidpp_battery_0/type=Battery", "hidpp_battery_0/scope=Device",
                                             "hidpp_battery_0/status=Discharging", "hidpp_battery_0/capacity=5"},
         {1, 128, 255}},
        {"a mouse's battery beside the system's",
         kMainsOn + battery("BAT0", "Charging", "80") +
             std::vector<std::string>{"mouse/type=Battery", "mouse/scope=Device", "mouse/capacity=5"},
         {1, 9, 80}},
        {"capacity beyond 100 reads as 100", kMainsOn + battery("BAT0", "Full", "104"), {1, 1, 100}},
    };
    for (const PowerCase& c : cases) {
        SetUp();
        build(c.files);
        PowerReading got = read();
        EXPECT_EQ(got.acLineStatus, c.expected.acLineStatus) << c.name;
        EXPECT_EQ(got.batteryFlag, c.expected.batteryFlag) << c.name;
        EXPECT_EQ(got.batteryLifePercent, c.expected.batteryLifePercent) << c.name;
    }
}

TEST_F(Power, CombinesSeveralBatteriesByTheirEnergy) {
    // 40 of 50 Wh and 5 of 20 Wh: 45 of 70 is 64 %; the mean of 80 and 25 would be 52.
    build(kMainsOff + std::vector<std::string>{
                          "BAT0/type=Battery", "BAT0/status=Discharging", "BAT0/energy_now=40000000",
                          "BAT0/energy_full=50000000", "BAT1/type=Battery", "BAT1/status=Discharging",
                          "BAT1/energy_now=5000000", "BAT1/energy_full=20000000"});
    PowerReading got = read();
    EXPECT_EQ(got.batteryLifePercent, 64);
    EXPECT_EQ(got.acLineStatus, 0);

    // One of them charging makes the pair charging; charge counters are
    // weighed by their voltage (60 of 100 Wh and 10 of 10 Wh: 70 of 110).
    SetUp();
    build(kMainsOn + std::vector<std::string>{
                         "BAT0/type=Battery", "BAT0/status=Charging", "BAT0/charge_now=5000000",
                         "BAT0/charge_full=8333333", "BAT0/voltage_min_design=12000000", "BAT1/type=Battery",
                         "BAT1/status=Full", "BAT1/energy_now=10000000", "BAT1/energy_full=10000000"});
    got = read();
    EXPECT_EQ(got.batteryLifePercent, 63);
    EXPECT_EQ(got.batteryFlag, 8);
}

TEST_F(Power, SeesEveryChangeOfTheFiles) {
    build(kMainsOn + battery("BAT0", "Charging", "41"));
    EXPECT_EQ(read().batteryLifePercent, 41);
    build({"AC/online=0", "BAT0/status=Discharging", "BAT0/capacity=40"});
    PowerReading got = read();
    EXPECT_EQ(got.acLineStatus, 0);
    EXPECT_EQ(got.batteryFlag, 0);
    EXPECT_EQ(got.batteryLifePercent, 40);
}

int openFiles() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

// The files stay open between checks: a file replaced under its name, a
// battery taken out and put back are seen all the same, and nothing leaks.
TEST_F(Power, KeptFilesFollowReplacedFilesAndSuppliesThatComeAndGo) {
    read();  // an empty tree: what earlier checks kept open is closed
    const int before = openFiles();
    build(kMainsOn + battery("BAT0", "Charging", "41"));
    EXPECT_EQ(read().batteryLifePercent, 41);
    const int open = openFiles();
    EXPECT_GT(open, before + 3);  // kept open: the directories and the files read
    EXPECT_EQ(read().batteryLifePercent, 41);
    EXPECT_EQ(openFiles(), open);

    writeWholeFile(kRoot + "/BAT0/capacity.new", "39\n");
    std::filesystem::rename(kRoot + "/BAT0/capacity.new", kRoot + "/BAT0/capacity");
    EXPECT_EQ(read().batteryLifePercent, 39);

    std::filesystem::remove_all(kRoot + "/BAT0");
    PowerReading gone = read();
    EXPECT_EQ(gone.batteryFlag, 128);
    EXPECT_EQ(gone.batteryLifePercent, 255);

    build(battery("BAT1", "Charging", "77"));
    EXPECT_EQ(read().batteryLifePercent, 77);
    EXPECT_EQ(openFiles(), open);
}

TEST_F(Power, GarbageInTheTreeReadsAsUnknownNeverAsANumber) {
    const std::vector<std::string> trees[] = {
        {"BAT0/type=Battery", "BAT0/capacity=abc", "BAT0/status=\x01\xff"},
        {"BAT0/type=Battery", "BAT0/capacity=-5", "BAT0/energy_now=10", "BAT0/energy_full=0"},
        {"BAT0/type=Battery", "BAT0/capacity=", "BAT0/charge_now=99999999999999999999999", "BAT0/charge_full=1"},
        {"BAT0/type=Battery", "BAT0/capacity=12abc"},
    };
    for (const auto& tree : trees) {
        SetUp();
        build(kMainsOn + tree);
        PowerReading got = read();
        EXPECT_EQ(got.acLineStatus, 1) << tree[1];
        EXPECT_EQ(got.batteryFlag, 255) << tree[1];
        EXPECT_EQ(got.batteryLifePercent, 255) << tree[1];
    }

    // A long type, a directory where a file belongs, a stray file in the
    // root and a FIFO for a capacity: each is passed over, none hangs.
    SetUp();
    build({"odd/type=" + std::string(100000, 'x'), "BAT0/type=Battery", "BAT0/status=Discharging"});
    std::filesystem::create_directories(kRoot + "/BAT0/capacity");
    writeWholeFile(kRoot + "/stray", "Battery");
    ASSERT_EQ(mkfifo((kRoot + "/BAT0/energy_now").c_str(), 0644), 0);
    writeWholeFile(kRoot + "/BAT0/energy_full", "100\n");
    PowerReading got = read();
    EXPECT_EQ(got.acLineStatus, 0);
    EXPECT_EQ(got.batteryFlag, 255);
    EXPECT_EQ(got.batteryLifePercent, 255);
}

TEST_F(Power, NoPowerSupplyClassMeansTheSystemCannotSay) {
    ASSERT_EQ(mount("cw-class", "/sys/class", "tmpfs", 0, "size=64k"), 0);
    PowerReading reading{7, 7, 7};
    bool ok = platformGetPowerStatus(&reading);
    umount("/sys/class");
    EXPECT_FALSE(ok);
    EXPECT_EQ(reading.acLineStatus, 7);
    EXPECT_EQ(reading.batteryLifePercent, 7);
}

}  // namespace
