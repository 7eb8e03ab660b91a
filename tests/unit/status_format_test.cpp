#include "monitor/status_format.h"

#include <cstring>

#include "sim_test.h"

namespace {

class StatusFormat : public SimTest {
protected:
    Settings& s = liveSettings;
    BatteryStatus& b = liveSettings.Cbattery;

    void setItems(int a, int c, int d, int e, int f) {
        int32_t items[5] = {a, c, d, e, f};
        memcpy(s.Cscreen.Sdisplayitems, items, sizeof items);
    }
    // Discharging at 37 %, 72 s per 1 %, 30 s spent on this percent.
    void discharging37() {
        b.kind = kPowerDischarge;
        b.percent = 37;
        b.dischargeRate = 72000;
        b.now = at(2026, 1, 5, 14, 5, 9);
        b.dischargeStamp = at(2026, 1, 5, 14, 4, 39);
    }
};

TEST_F(StatusFormat, DischargeItemsInEachTimeFormat) {
    discharging37();
    struct Row {
        int format;
        const char* items;
    } rows[] = {
        {0, "37% 72s E14:49:03 R0:43:54 14:05:09"},
        {1, "37% 72s E14:49 R0:43 14:05"},
        {2, "37% 72s E2:49:03PM R0:43:54 2:05:09PM"},
        {3, "37% 72s E2:49PM R0:43 2:05PM"},
    };
    for (const Row& row : rows) {
        s.Cscreen.Stimeformat = row.format;
        formatStatus(s);
        EXPECT_STREQ(s.itemsText, row.items) << "format " << row.format;
    }
    EXPECT_EQ(b.dischargeRest, 2634000);
    EXPECT_STREQ(s.statusLine,
                 "Discharge |  37% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)");
}

TEST_F(StatusFormat, LongRestShowsTotalHoursInItemsButNotInTheChargeLine) {
    b.kind = kPowerDischarge;
    b.percent = 30;
    b.dischargeRate = 3600000;
    b.now = at(2026, 1, 5, 14, 5, 9);
    b.dischargeStamp = b.now;
    b.logSpan = 61000;
    setItems(4, 0, 0, 0, 0);
    formatStatus(s);
    EXPECT_STREQ(s.itemsText, "R30:00:00");
    EXPECT_STREQ(s.statusLine,
                 "Discharge |  30% | 3600sec/1% | end 20:05:09 | rest  6:00:00 | now 14:05:09 (  61sec)");

    b.kind = kPowerAcBatt;  // on mains the whole estimate, in total hours
    formatStatus(s);
    EXPECT_STREQ(s.statusLine,
                 "AC&Batt   |  30% | 3600sec/1% | end 20:05:09 | rest 30:00:00 | now 14:05:09 (  61sec)");
}

TEST_F(StatusFormat, LinesWithoutABattery) {
    b.now = at(2026, 1, 5, 9, 0, 0);
    b.kind = kPowerAcLine;
    b.percent = 255;
    formatStatus(s);
    EXPECT_STREQ(s.statusLine,
                 "AC-Line   | ---% | ----sec/1% | end --:--:-- | rest --:--:-- | now  9:00:00 (----sec)");
    EXPECT_STREQ(s.itemsText, "--% --s E-- R-- 9:00:00");
    b.kind = kPowerUnknown;
    formatStatus(s);
    EXPECT_STREQ(s.statusLine,
                 "Unknown   | ---% | ----sec/1% | end --:--:-- | rest --:--:-- | now  9:00:00 (----sec)");
}

TEST_F(StatusFormat, HiddenAndUnknownSlotsWriteNothing) {
    b.kind = kPowerAcLine;
    b.now = at(2026, 1, 5, 12, 0, 0);
    s.Cscreen.Stimeformat = 2;
    setItems(0, 5, 0, 1, 0);
    formatStatus(s);
    EXPECT_STREQ(s.itemsText, "0:00:00PM --%");
    setItems(0, 0, 0, 0, 0);
    formatStatus(s);
    EXPECT_STREQ(s.itemsText, "");
    setItems(9, -1, 1, 6, 1);
    formatStatus(s);
    EXPECT_STREQ(s.itemsText, "--% --%");
}

TEST_F(StatusFormat, UnknownTimeFormatStillCountsItsItems) {
    discharging37();
    s.Cscreen.Stimeformat = 7;
    setItems(1, 3, 4, 5, 2);
    formatStatus(s);
    EXPECT_STREQ(s.itemsText, "37%    72s");
}

TEST_F(StatusFormat, OverdueChargeAndNegativeRateRestAtZero) {
    b.kind = kPowerCharge;
    b.percent = 90;
    b.chargeRate = 60000;
    b.now = at(2026, 1, 5, 23, 0, 0);
    b.chargeStamp = at(2026, 1, 5, 22, 48, 20);  // 700 s spent, 600 s estimated
    setItems(3, 4, 2, 0, 0);
    formatStatus(s);
    EXPECT_EQ(b.chargeRest, 0);
    EXPECT_STREQ(s.itemsText, "E23:00:00 R0:00:00 60s");
    b.chargeRate = -5000;
    formatStatus(s);
    EXPECT_STREQ(s.itemsText, "E23:00:00 R0:00:00 -5s");
}

TEST_F(StatusFormat, EndPastMidnightShowsTheClockTimeOnly) {
    b.kind = kPowerCharge;
    b.percent = 99;
    b.chargeRate = 3600000;
    b.now = at(2026, 1, 5, 23, 30, 0);
    setItems(3, 0, 0, 0, 0);
    formatStatus(s);
    EXPECT_STREQ(s.itemsText, "E0:30:00");
}

TEST_F(StatusFormat, HugeRatesAreClampedToTheLongestRest) {
    b.kind = kPowerDischarge;
    b.percent = 100;
    b.dischargeRate = 2000000000;
    b.now = at(2026, 1, 5, 0, 0, 0);
    setItems(4, 4, 4, 4, 4);
    formatStatus(s);
    EXPECT_EQ(b.dischargeRest, INT32_MAX);
    EXPECT_STREQ(s.itemsText, "R596:31:23 R596:31:23 R596:31:23 R596:31:23 R596:31:23");
    EXPECT_LT(strlen(s.itemsText), 64u);  // always fits the tray tip
}

}  // namespace
