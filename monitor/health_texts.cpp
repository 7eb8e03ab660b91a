#include "monitor/health_texts.h"

#include "base/texts.h"

HealthTexts healthTexts() {
    return HealthTexts{
        text(IDS_HEALTH_BATTERY),        text(IDS_HEALTH_COMBINED),       text(IDS_HEALTH_NO_BATTERY),
        text(IDS_HEALTH_MAKER),          text(IDS_HEALTH_MODEL),          text(IDS_HEALTH_SERIAL),
        text(IDS_HEALTH_TECHNOLOGY),     text(IDS_HEALTH_DESIGN),         text(IDS_HEALTH_FULL),
        text(IDS_HEALTH_HEALTH),         text(IDS_HEALTH_WEAR),           text(IDS_HEALTH_CYCLES),
        text(IDS_HEALTH_POWER),          text(IDS_HEALTH_VOLTAGE),        text(IDS_HEALTH_RELATIVE),
        text(IDS_HEALTH_UNKNOWN),        text(IDS_HEALTH_PACE),           text(IDS_HEALTH_PACE_PER_MONTH),
        text(IDS_HEALTH_PACE_PER_CYCLES), text(IDS_HEALTH_FORECAST),      text(IDS_HEALTH_REACHES_IN),
        text(IDS_HEALTH_NEVER_REACHES),  text(IDS_HEALTH_LIST_SEPARATOR), text(IDS_HEALTH_READING),
    };
}
