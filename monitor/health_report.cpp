#include "monitor/health_report.h"

#include <cstring>

#include "base/text_util.h"
#include "monitor/health_texts.h"

HealthFigures healthFigures(const BatteryHealth& battery) {
    int32_t health = healthPermille(battery);
    if (health < 0) return HealthFigures{-1, -1};
    if (health > 1000) health = 1000;
    return HealthFigures{health, 1000 - health};
}

namespace {

// The sum of one field over every battery, or unknown when one lacks it.
int64_t sumOf(const HealthReading& reading, int64_t BatteryHealth::*field) {
    if (reading.count <= 0) return kHealthUnknown;
    int64_t sum = 0;
    for (int i = 0; i < reading.count && i < kMostBatteries; ++i) {
        int64_t value = reading.batteries[i].*field;
        if (value == kHealthUnknown || __builtin_add_overflow(sum, value, &sum)) return kHealthUnknown;
    }
    return sum;
}

// A count of thousandths as a decimal with `decimals` places (0 to 3),
// rounded half away from zero; with `trim`, trailing zeros go (exact).
void appendMilli(TextBuffer& out, int64_t milli, int decimals, bool trim) {
    uint64_t magnitude = milli < 0 ? 0 - static_cast<uint64_t>(milli) : static_cast<uint64_t>(milli);
    uint64_t scale = 1;
    for (int i = decimals; i < 3; ++i) scale *= 10;
    magnitude = magnitude / scale + (magnitude % scale >= (scale + 1) / 2 && scale > 1);
    uint64_t places = 1;
    for (int i = 0; i < decimals; ++i) places *= 10;
    uint64_t whole = magnitude / places, fraction = magnitude % places;
    if (milli < 0 && magnitude != 0) appendBytes(out, "-", 1);
    appendDecimal(out, static_cast<int64_t>(whole));
    if (decimals == 0 || (trim && fraction == 0)) return;
    char digits[4];
    for (int i = decimals - 1; i >= 0; --i, fraction /= 10) digits[i] = static_cast<char>('0' + fraction % 10);
    int length = decimals;
    while (trim && length > 0 && digits[length - 1] == '0') --length;
    appendBytes(out, ".", 1);
    appendBytes(out, digits, static_cast<size_t>(length));
}

void appendPermille(TextBuffer& out, int32_t permille) {
    appendDecimal(out, permille / 10);
    char tenth[2] = {'.', static_cast<char>('0' + permille % 10)};
    appendBytes(out, tenth, 2);
}

// ----- text

void label(TextBuffer& out, const char* name) {
    appendString(out, "  ");
    appendString(out, name);
    appendString(out, ": ");
}

void textLine(TextBuffer& out, const char* name, const char* value) {
    label(out, name);
    appendString(out, value[0] ? value : healthTexts().unknown);
    appendString(out, "\n");
}

void capacityLine(TextBuffer& out, const char* name, int64_t mwh, int64_t mah, int64_t relative) {
    label(out, name);
    appendCapacityText(out, mwh, mah, relative);
    appendString(out, "\n");
}

void permilleLine(TextBuffer& out, const char* name, int32_t permille) {
    label(out, name);
    appendPermilleText(out, permille);
    appendString(out, "\n");
}

void milliLine(TextBuffer& out, const char* name, int64_t milli, const char* unit) {
    label(out, name);
    appendMilliText(out, milli, unit);
    appendString(out, "\n");
}

// Two places, and no "-0.00" for a pace that rounds to nothing.
void formatPoints(char (&out)[32], double points) {
    formatText(out, "%.2f", points > -0.005 && points < 0.005 ? 0.0 : points);
}

void forecastLines(TextBuffer& out, const HealthForecast& forecast) {
    label(out, healthTexts().pace);
    appendPaceText(out, forecast);
    appendString(out, "\n");
    label(out, healthTexts().forecast);
    appendForecastText(out, forecast);
    appendString(out, "\n");
}

void batteryBlock(TextBuffer& out, const BatteryHealth& battery, const HealthTrends* trends, bool texts) {
    const HealthTexts& t = healthTexts();
    if (texts) {
        textLine(out, t.maker, battery.maker);
        textLine(out, t.model, battery.model);
        textLine(out, t.serial, battery.serial);
        textLine(out, t.technology, battery.technology);
    }
    capacityLine(out, t.design, battery.designMwh, battery.designMah, battery.designRelative);
    capacityLine(out, t.full, battery.fullMwh, battery.fullMah, battery.fullRelative);
    HealthFigures figures = healthFigures(battery);
    permilleLine(out, t.health, figures.healthPermille);
    permilleLine(out, t.wear, figures.wearPermille);
    if (texts) {
        label(out, t.cycles);
        if (battery.cycles == kHealthUnknown) appendString(out, t.unknown);
        else appendDecimal(out, battery.cycles);
        appendString(out, "\n");
    }
    milliLine(out, t.power, battery.powerMw, " W");
    if (texts) milliLine(out, t.voltage, battery.voltageMv, " V");
    HealthForecast forecast;
    if (trends && forecastHealth(*trends, battery, &forecast)) forecastLines(out, forecast);
}

// ----- JSON

void jsonString(TextBuffer& out, const char* text, size_t size) {
    size_t length = strnlen(text, size);
    if (length == 0) {
        appendString(out, "null");
        return;
    }
    appendBytes(out, "\"", 1);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < length;) {
        unsigned char c = bytes[i];
        if (c == '"' || c == '\\') {
            char escaped[2] = {'\\', static_cast<char>(c)};
            appendBytes(out, escaped, 2);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            appendFormatted(out, "\\u%04x", c);
            ++i;
        } else if (c < 0x80) {
            appendBytes(out, text + i, 1);
            ++i;
        } else {
            // Valid UTF-8 as it is; anything else as U+FFFD.
            size_t take = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
            bool valid = take > 0 && i + take <= length;
            uint32_t code = c & (0x7F >> take);
            for (size_t k = 1; valid && k < take; ++k) {
                valid = (bytes[i + k] & 0xC0) == 0x80;
                code = code << 6 | (bytes[i + k] & 0x3F);
            }
            static const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
            valid = valid && code >= least[take] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
            if (valid) {
                appendBytes(out, text + i, take);
                i += take;
            } else {
                appendString(out, "\\ufffd");
                ++i;
            }
        }
    }
    appendBytes(out, "\"", 1);
}

void jsonKey(TextBuffer& out, const char* key, bool first = false) {
    if (!first) appendBytes(out, ",", 1);
    appendBytes(out, "\"", 1);
    appendString(out, key);
    appendString(out, "\":");
}

void jsonMilli(TextBuffer& out, int64_t milli) {
    if (milli == kHealthUnknown) appendString(out, "null");
    else appendMilli(out, milli, 3, true);
}

void jsonInteger(TextBuffer& out, int64_t value) {
    if (value == kHealthUnknown) appendString(out, "null");
    else appendDecimal(out, value);
}

void jsonBattery(TextBuffer& out, const BatteryHealth& b) {
    appendBytes(out, "{", 1);
    jsonKey(out, "name", true);
    jsonString(out, b.name, sizeof b.name);
    jsonKey(out, "maker");
    jsonString(out, b.maker, sizeof b.maker);
    jsonKey(out, "model");
    jsonString(out, b.model, sizeof b.model);
    jsonKey(out, "serial");
    jsonString(out, b.serial, sizeof b.serial);
    jsonKey(out, "technology");
    jsonString(out, b.technology, sizeof b.technology);
    jsonKey(out, "design_wh");
    jsonMilli(out, b.designMwh);
    jsonKey(out, "full_wh");
    jsonMilli(out, b.fullMwh);
    jsonKey(out, "design_mah");
    jsonInteger(out, b.designMah);
    jsonKey(out, "full_mah");
    jsonInteger(out, b.fullMah);
    jsonKey(out, "health_percent");
    int32_t health = healthFigures(b).healthPermille;
    if (health < 0) appendString(out, "null");
    else appendPermille(out, health);
    jsonKey(out, "cycles");
    jsonInteger(out, b.cycles);
    jsonKey(out, "power_w");
    jsonMilli(out, b.powerMw);
    jsonKey(out, "voltage_v");
    jsonMilli(out, b.voltageMv);
    appendBytes(out, "}", 1);
}

}  // namespace

// "57.00 Wh (3900 mAh)", "3900 mAh", "5000 (relative)" or "-".
void appendCapacityText(TextBuffer& out, int64_t mwh, int64_t mah, int64_t relative) {
    if (mwh != kHealthUnknown) {
        appendMilli(out, mwh, 2, false);
        appendString(out, " Wh");
        if (mah != kHealthUnknown) appendString(out, " (");
    }
    if (mah != kHealthUnknown) {
        appendDecimal(out, mah);
        appendString(out, " mAh");
        if (mwh != kHealthUnknown) appendString(out, ")");
    }
    if (mwh == kHealthUnknown && mah == kHealthUnknown) {
        if (relative != kHealthUnknown) {
            appendDecimal(out, relative);
            appendString(out, " ");
            appendString(out, healthTexts().relative);
        } else {
            appendString(out, healthTexts().unknown);
        }
    }
}

void appendPermilleText(TextBuffer& out, int32_t permille) {
    if (permille < 0) {
        appendString(out, healthTexts().unknown);
    } else {
        appendPermille(out, permille);
        appendString(out, " %");
    }
}

void appendMilliText(TextBuffer& out, int64_t milli, const char* unit) {
    if (milli == kHealthUnknown) {
        appendString(out, healthTexts().unknown);
    } else {
        appendMilli(out, milli, 2, false);
        appendString(out, unit);
    }
}

void appendPaceText(TextBuffer& out, const HealthForecast& forecast) {
    const HealthTexts& texts = healthTexts();
    char points[32];
    formatPoints(points, forecast.pointsPerMonth);
    appendFormatted(out, texts.pacePerMonth, points);
    if (forecast.perCycles) {
        formatPoints(points, forecast.pointsPer100Cycles);
        appendString(out, texts.listSeparator);
        appendFormatted(out, texts.pacePerCycles, points);
    }
}

void appendForecastText(TextBuffer& out, const HealthForecast& forecast) {
    if (forecast.reaches) appendFormatted(out, healthTexts().reachesIn, forecast.year, forecast.month);
    else appendString(out, healthTexts().neverReaches);
}

BatteryHealth combinedHealth(const HealthReading& reading) {
    BatteryHealth all = unknownBatteryHealth();
    setHealthText(all.name, sizeof all.name, healthTexts().combined, strlen(healthTexts().combined));
    all.designMwh = sumOf(reading, &BatteryHealth::designMwh);
    all.fullMwh = sumOf(reading, &BatteryHealth::fullMwh);
    // Charge adds up only where no energy does: batteries of other voltages.
    if (all.designMwh == kHealthUnknown && all.fullMwh == kHealthUnknown) {
        all.designMah = sumOf(reading, &BatteryHealth::designMah);
        all.fullMah = sumOf(reading, &BatteryHealth::fullMah);
    }
    all.powerMw = sumOf(reading, &BatteryHealth::powerMw);
    return all;
}

size_t formatHealthText(const HealthReading& reading, const HealthTrends* trends, char* out, size_t size) {
    if (size == 0) return 0;
    TextBuffer text = makeTextBuffer(out, size);
    const HealthTexts& t = healthTexts();
    if (reading.count <= 0) {
        appendString(text, t.noBattery);
        appendString(text, "\n");
        return text.length;
    }
    for (int i = 0; i < reading.count && i < kMostBatteries; ++i) {
        const BatteryHealth& battery = reading.batteries[i];
        appendString(text, t.battery);
        appendString(text, " ");
        appendString(text, battery.name[0] ? battery.name : t.unknown);
        appendString(text, "\n");
        batteryBlock(text, battery, trends, true);
    }
    if (reading.count > 1) {
        appendString(text, t.combined);
        appendString(text, "\n");
        batteryBlock(text, combinedHealth(reading), nullptr, false);
    }
    return text.length;
}

size_t formatHealthJson(const HealthReading& reading, char* out, size_t size) {
    if (size == 0) return 0;
    TextBuffer json = makeTextBuffer(out, size);
    appendString(json, "{\"batteries\":[");
    for (int i = 0; i < reading.count && i < kMostBatteries; ++i) {
        if (i > 0) appendBytes(json, ",", 1);
        jsonBattery(json, reading.batteries[i]);
    }
    appendString(json, "]}\n");
    if (json.overflowed) {
        out[0] = '\0';
        return 0;
    }
    return json.length;
}
