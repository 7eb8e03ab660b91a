#include "monitor/sampler.h"

#include "monitor/local_time.h"
#include "sim_test.h"

namespace {

class Sampler : public SimTest {
protected:
    BatteryStatus& b = liveSettings.Cbattery;

    // Calls the sampler every 100 ms, as the monitor's ticks do.
    void tickFor(int64_t ms) {
        for (int64_t t = 0; t < ms; t += 100) {
            sim::shiftClock(100);
            sampleBattery(b);
        }
    }
    // A reading that the grid finds `ms` after the last query.
    void changeAfter(int64_t ms, uint8_t ac, uint8_t flag, uint8_t percent) {
        tickFor(ms - 1000);
        sim::setPower(ac, flag, percent);
        tickFor(1000);
    }
    size_t queries() { return sim::callsOf(sim::CallKind::PowerQuery).size(); }
    static bool allRaised(const int32_t (&flags)[kChangeSlots]) {
        for (int32_t f : flags)
            if (!f) return false;
        return true;
    }
    static void lowerAll(int32_t (&flags)[kChangeSlots]) {
        for (int32_t& f : flags) f = 0;
    }
};

TEST_F(Sampler, FirstCallAfterResetQueriesAndRaisesEverything) {
    sim::setPower(0, 0, 77);
    sampleBattery(b);
    EXPECT_EQ(queries(), 1u);
    EXPECT_EQ(b.kind, kPowerDischarge);
    EXPECT_EQ(b.percent, 77);
    EXPECT_EQ(timeDiff(b.sampleStamp, b.now), 0);
    EXPECT_TRUE(isTimeSet(b.sampleStamp));
    EXPECT_TRUE(allRaised(b.kindChanged));
    EXPECT_TRUE(allRaised(b.percentChanged));
}

TEST_F(Sampler, ThrottledCallsOnlyRefreshNow) {
    sampleBattery(b);
    lowerAll(b.kindChanged);
    lowerAll(b.percentChanged);
    sim::setPower(0, 0, 10);
    sim::shiftClock(999);
    sampleBattery(b);
    EXPECT_EQ(queries(), 1u);
    EXPECT_EQ(b.now.milliseconds, 999);
    EXPECT_EQ(b.kind, kPowerCharge);
    EXPECT_EQ(b.kindChanged[0], 0);
    sim::shiftClock(1);
    sampleBattery(b);
    EXPECT_EQ(queries(), 2u);
    EXPECT_EQ(b.kind, kPowerDischarge);
}

TEST_F(Sampler, ClassifiesTheThreeBytes) {
    struct Row {
        uint8_t ac, flag, percent;
        int32_t kind;
    } rows[] = {
        {0, 0, 255, kPowerAcLine},   {1, 128, 255, kPowerAcLine}, {1, 8, 50, kPowerCharge},
        {1, 0, 50, kPowerAcBatt},    {1, 255, 50, kPowerCharge},  {255, 0, 50, kPowerAcBatt},
        {255, 8, 50, kPowerCharge},  {0, 8, 50, kPowerDischarge}, {0, 0, 0, kPowerDischarge},
    };
    for (const Row& row : rows)
        EXPECT_EQ(classifyPower(PowerReading{row.ac, row.flag, row.percent}), row.kind)
            << int(row.ac) << "/" << int(row.flag) << "/" << int(row.percent);
}

TEST_F(Sampler, MeasuresTheAverageChargeRateSinceTheKindChanged) {
    sim::setPower(0, 0, 40);
    sampleBattery(b);
    tickFor(10000);
    sim::setPower(1, 8, 40);  // plugged in: a kind change, the percent unchanged
    tickFor(10000);
    ASSERT_EQ(b.kind, kPowerCharge);
    EXPECT_FALSE(isTimeSet(b.chargeStamp));

    changeAfter(1000, 1, 8, 41);
    EXPECT_EQ(b.chargeRate, 0);  // the first step only sets the stamp
    EXPECT_TRUE(isTimeSet(b.chargeStamp));

    changeAfter(600000, 1, 8, 42);
    EXPECT_EQ(b.chargeRate, 600000);
    EXPECT_EQ(b.Stimedef1pcharge, 600000);

    changeAfter(660000, 1, 8, 43);
    EXPECT_EQ(b.chargeRate, 630000);
    EXPECT_EQ(b.Stimedef1pcharge, 630000);
    EXPECT_EQ(b.chargeAccMs, 1260000);
    EXPECT_EQ(b.chargeAccPercent, 2);
}

TEST_F(Sampler, DefaultFollowsOnlyWithAutomaticSetting) {
    b.Sautosetdischargetime = 0;
    b.Stimedef1pdischarge = 55000;
    sim::setPower(0, 0, 60);
    sampleBattery(b);
    changeAfter(30000, 0, 0, 59);
    EXPECT_EQ(b.dischargeRate, 30000);
    changeAfter(30000, 0, 0, 58);
    EXPECT_EQ(b.dischargeRate, 30000);
    EXPECT_EQ(b.Stimedef1pdischarge, 55000);
}

TEST_F(Sampler, PercentGoingBackWhileChargingFallsBackOrGoesNegative) {
    b.Stimedef1pcharge = 90000;
    b.Sautosetchargetime = 0;
    sim::setPower(1, 8, 50);
    sampleBattery(b);  // first change: stamp only
    changeAfter(10000, 1, 8, 49);
    EXPECT_EQ(b.chargeAccPercent, -1);
    EXPECT_EQ(b.chargeRate, -10000);
    changeAfter(10000, 1, 8, 50);
    EXPECT_EQ(b.chargeAccPercent, 0);
    EXPECT_EQ(b.chargeRate, 90000);
}

TEST_F(Sampler, KindChangeRestartsTheMeasurement) {
    sim::setPower(0, 0, 52);
    sampleBattery(b);
    sim::setPower(0, 0, 51);
    tickFor(5000);
    sim::setPower(0, 0, 50);
    tickFor(5000);
    EXPECT_EQ(b.dischargeAccPercent, 2);
    b.Stimedef1pcharge = 123000;
    sim::setPower(1, 8, 50);
    tickFor(1000);
    EXPECT_EQ(b.kind, kPowerCharge);
    EXPECT_EQ(b.dischargeAccMs, 0);
    EXPECT_EQ(b.chargeRate, 123000);
    EXPECT_EQ(b.percent, 50);
    sim::setPower(1, 8, 51);
    tickFor(7000);
    EXPECT_EQ(b.chargeAccMs, 0);  // not measured: only the stamp is set
    EXPECT_EQ(b.chargeRate, 123000);
}

TEST_F(Sampler, MainsWithoutChargingResetsRatesOnEveryChange) {
    b.Stimedef1pcharge = 1000;
    b.Stimedef1pdischarge = 2000;
    sim::setPower(1, 0, 80);
    sampleBattery(b);
    b.chargeRate = b.dischargeRate = 7;
    sim::setPower(1, 0, 81);
    tickFor(1000);
    EXPECT_EQ(b.chargeRate, 1000);
    EXPECT_EQ(b.dischargeRate, 2000);
}

TEST_F(Sampler, ZeroIntervalQueriesEveryCallAndMeasuresZero) {
    b.Scheckinterval = 0;
    sim::setPower(0, 0, 30);
    sampleBattery(b);
    LocalTime first = b.sampleStamp;
    sim::setPower(0, 0, 29);
    tickFor(500);
    sim::setPower(0, 0, 28);
    tickFor(500);
    EXPECT_EQ(queries(), 11u);
    EXPECT_EQ(timeDiff(b.sampleStamp, first), 0);
    EXPECT_EQ(b.dischargeRate, 0);
}

TEST_F(Sampler, NegativeIntervalActsLikeZero) {
    b.Scheckinterval = -5000;
    sampleBattery(b);
    LocalTime first = b.sampleStamp;
    tickFor(1000);
    EXPECT_EQ(queries(), 11u);
    EXPECT_EQ(timeDiff(b.sampleStamp, first), 0);
}

TEST_F(Sampler, CatchesUpAGapOneIntervalPerCall) {
    sampleBattery(b);
    LocalTime first = b.sampleStamp;
    sim::shiftClock(5500);
    for (int i = 0; i < 7; ++i) sampleBattery(b);
    EXPECT_EQ(queries(), 6u);  // the first call and five catching up
    EXPECT_EQ(timeDiff(b.sampleStamp, first), 5000);
}

TEST_F(Sampler, ClockSetBackStartsANewGridWithoutMeasuringAcrossIt) {
    sim::setPower(0, 0, 70);
    sampleBattery(b);
    sim::setPower(0, 0, 69);
    tickFor(1000);
    ASSERT_TRUE(isTimeSet(b.dischargeStamp));
    sim::shiftClock(-3600000);
    sim::setPower(0, 0, 68);
    sampleBattery(b);
    EXPECT_EQ(b.percent, 68);
    EXPECT_EQ(timeDiff(b.sampleStamp, b.now), 0);
    EXPECT_EQ(b.dischargeAccMs, 1000);  // nothing measured across the jump
    EXPECT_EQ(b.dischargeRate, b.Stimedef1pdischarge);
}

TEST_F(Sampler, FailedQueryIsASkippedSample) {
    sim::setPowerQueryFails(true);
    sampleBattery(b);
    EXPECT_EQ(b.kind, kPowerUnknown);
    sim::setPowerQueryFails(false);
    tickFor(1000);
    EXPECT_EQ(b.kind, kPowerCharge);
}

TEST_F(Sampler, HugeSpansAreClampedNotWrapped) {
    b.Scheckinterval = 2000000000;
    sim::setPower(1, 8, 40);
    sampleBattery(b);  // stamp only
    sim::shiftClock(2000000000LL * 2);
    sampleBattery(b);  // grid +1 interval, no change
    sim::setPower(1, 8, 41);
    sampleBattery(b);  // grid +2 intervals: a span of 4e9 ms
    EXPECT_EQ(b.chargeAccMs, INT32_MAX);
    EXPECT_EQ(b.chargeRate, INT32_MAX);
    EXPECT_EQ(b.Stimedef1pcharge, INT32_MAX);
}

TEST_F(Sampler, ResetKeepsRateSettingsAndArmsAutomaticFlags) {
    b.Stimedef1pcharge = 5;
    b.Stimedef1pdischarge = 6;
    b.Scheckinterval = 7;
    b.Sautosetchargetime = 0;
    b.logSpan = 9000;
    sampleBattery(b);
    resetBatteryState(b);
    EXPECT_EQ(b.kind, kPowerUnknown);
    EXPECT_EQ(b.Stimedef1pcharge, 5);
    EXPECT_EQ(b.Stimedef1pdischarge, 6);
    EXPECT_EQ(b.Scheckinterval, 7);
    EXPECT_EQ(b.Sautosetchargetime, 1);
    EXPECT_EQ(b.logSpan, 9000);
    EXPECT_FALSE(isTimeSet(b.sampleStamp));
    EXPECT_TRUE(allRaised(b.kindChanged));
}

}  // namespace
