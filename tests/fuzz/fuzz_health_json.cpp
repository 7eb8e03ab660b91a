// Any bytes as what batteries say of their health: the JSON written is
// always well formed (strings valid UTF-8, escapes and numbers as JSON has
// them) with one object per battery, and the text report stays inside its
// buffer.
#include <cstdlib>
#include <cstring>

#include "monitor/health_report.h"

namespace {

// A strict reader of the JSON the report writes.
struct Json {
    const char* p;
    const char* end;
    int objects = 0;

    bool at(char c) const { return p < end && *p == c; }
    bool take(char c) {
        if (!at(c)) return false;
        ++p;
        return true;
    }
    bool literal(const char* word) {
        size_t n = strlen(word);
        if (static_cast<size_t>(end - p) < n || memcmp(p, word, n) != 0) return false;
        p += n;
        return true;
    }
    bool digits() {
        const char* start = p;
        while (p < end && *p >= '0' && *p <= '9') ++p;
        return p > start;
    }
    bool number() {
        take('-');
        if (at('0')) ++p;
        else if (!digits()) return false;
        return !take('.') || digits();
    }
    bool string() {
        if (!take('"')) return false;
        while (p < end && *p != '"') {
            unsigned char c = static_cast<unsigned char>(*p);
            if (c < 0x20) return false;
            if (c == '\\') {
                ++p;
                if (take('"') || take('\\')) continue;
                if (!take('u') || end - p < 4) return false;
                for (int i = 0; i < 4; ++i, ++p)
                    if (!strchr("0123456789abcdef", *p) || *p == '\0') return false;
                continue;
            }
            size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
            if (n == 0 || static_cast<size_t>(end - p) < n) return false;
            for (size_t i = 1; i < n; ++i)
                if ((p[i] & 0xC0) != 0x80) return false;
            p += n;
        }
        return take('"');
    }
    bool value() {
        if (at('{')) return object();
        if (at('[')) return array();
        if (at('"')) return string();
        if (literal("null")) return true;
        return number();
    }
    bool object() {
        if (!take('{')) return false;
        ++objects;
        if (take('}')) return true;
        do
            if (!string() || !take(':') || !value()) return false;
        while (take(','));
        return take('}');
    }
    bool array() {
        if (!take('[')) return false;
        if (take(']')) return true;
        do
            if (!value()) return false;
        while (take(','));
        return take(']');
    }
};

// The next `size` bytes of the input, or zeros once it is used up.
struct Input {
    const uint8_t* data;
    size_t size;
    void read(void* out, size_t n) {
        size_t have = n < size ? n : size;
        memcpy(out, data, have);
        memset(static_cast<char*>(out) + have, 0, n - have);
        data += have;
        size -= have;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input{data, size};
    static HealthReading reading;
    uint8_t count = 0;
    input.read(&count, 1);
    reading.count = count % (kMostBatteries + 2);  // a count past the array too
    for (BatteryHealth& b : reading.batteries) {
        input.read(&b, sizeof b);
        // Texts as the platform hands them over: terminated, anything before.
        b.name[sizeof b.name - 1] = b.maker[sizeof b.maker - 1] = b.model[sizeof b.model - 1] = '\0';
        b.serial[sizeof b.serial - 1] = b.technology[sizeof b.technology - 1] = '\0';
    }
    static char out[kMostBatteries * 2048];
    size_t length = formatHealthJson(reading, out, sizeof out);
    if (length == 0 || strlen(out) != length || out[length - 1] != '\n') abort();
    Json json{out, out + length - 1};
    int batteries = reading.count < kMostBatteries ? reading.count : kMostBatteries;
    if (!json.object() || json.p != json.end || json.objects != 1 + batteries) abort();

    static char text[kMostBatteries * 2048];
    length = formatHealthText(reading, nullptr, text, sizeof text);
    if (strlen(text) != length) abort();
    length = formatHealthText(reading, nullptr, text, 100);
    if (length >= 100 || strlen(text) != length) abort();
    return 0;
}
