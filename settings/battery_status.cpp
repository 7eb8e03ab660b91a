#include "settings/battery_status.h"

void raiseAll(int32_t (&flags)[kChangeSlots]) {
    for (int32_t& flag : flags) flag = 1;
}

void resetBatteryState(BatteryStatus& s) {
    s.kind = kPowerUnknown;
    s.chargeRate = s.dischargeRate = 0;
    s.chargeAccMs = s.dischargeAccMs = 0;
    s.chargeAccPercent = s.dischargeAccPercent = 0;
    s.chargeRest = s.dischargeRest = 0;
    s.now = s.sampleStamp = s.chargeStamp = s.dischargeStamp = LocalTime{};
    s.percent = s.prevPercent = 0;
    s.Sautosetchargetime = 1;
    s.Sautosetdischargetime = 1;
    raiseAll(s.kindChanged);
    raiseAll(s.percentChanged);
}
