// Battery health from the battery class driver: each battery device's
// interface (SetupDi), opened and asked for its tag, its information and
// texts, and its status. A status query goes to the embedded controller
// and can take tens of milliseconds, so the program's readings run on a
// thread of their own and are taken at a later tick.
#include <windows.h>
// GUID_DEVCLASS_BATTERY is defined here, not only declared.
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
#include <batclass.h>
#include <winioctl.h>

#include "platform/battery_ioctl.h"

namespace {

constexpr DWORD kMostDevices = 32;
constexpr DWORD kDevicePathChars = 1024;

bool ask(HANDLE battery, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* got) {
    *got = 0;
    return DeviceIoControl(battery, code, in, inSize, out, outSize, got, nullptr) && *got > 0;
}

bool queryTag(void* context, uint32_t* tag) {
    ULONG wait = 0;  // the tag of the battery there now; none: no waiting for one
    ULONG answer = 0;
    DWORD got;
    if (!ask(*static_cast<HANDLE*>(context), IOCTL_BATTERY_QUERY_TAG, &wait, sizeof wait, &answer, sizeof answer, &got))
        return false;
    *tag = answer;
    return true;
}

bool queryLevel(HANDLE battery, uint32_t tag, BATTERY_QUERY_INFORMATION_LEVEL level, void* out, DWORD size,
                DWORD* got) {
    BATTERY_QUERY_INFORMATION query{};
    query.BatteryTag = tag;
    query.InformationLevel = level;
    return ask(battery, IOCTL_BATTERY_QUERY_INFORMATION, &query, sizeof query, out, size, got);
}

bool queryInformation(void* context, uint32_t tag, RawBatteryInformation* out) {
    BATTERY_INFORMATION information{};
    DWORD got;
    if (!queryLevel(*static_cast<HANDLE*>(context), tag, BatteryInformation, &information, sizeof information, &got) ||
        got < sizeof information)
        return false;
    *out = RawBatteryInformation{information.Capabilities, {}, information.DesignedCapacity,
                                 information.FullChargedCapacity, information.CycleCount};
    memcpy(out->chemistry, information.Chemistry, sizeof out->chemistry);
    return true;
}

bool queryText(void* context, uint32_t tag, BatteryTextKind kind, char* out, size_t size) {
    const BATTERY_QUERY_INFORMATION_LEVEL level = kind == BatteryTextKind::DeviceName        ? BatteryDeviceName
                                                  : kind == BatteryTextKind::ManufactureName ? BatteryManufactureName
                                                                                             : BatterySerialNumber;
    wchar_t text[MAX_BATTERY_STRING_SIZE + 1] = {};
    DWORD got;
    if (!queryLevel(*static_cast<HANDLE*>(context), tag, level, text, MAX_BATTERY_STRING_SIZE * sizeof(wchar_t),
                    &got))
        return false;
    text[got / sizeof(wchar_t) < MAX_BATTERY_STRING_SIZE ? got / sizeof(wchar_t) : MAX_BATTERY_STRING_SIZE] = L'\0';
    int written = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, static_cast<int>(size), nullptr, nullptr);
    if (written <= 0) out[0] = '\0';
    return written > 0;
}

bool queryStatus(void* context, uint32_t tag, RawBatteryStatus* out) {
    BATTERY_WAIT_STATUS wait{};
    wait.BatteryTag = tag;  // now, whatever it is
    BATTERY_STATUS status{};
    DWORD got;
    if (!ask(*static_cast<HANDLE*>(context), IOCTL_BATTERY_QUERY_STATUS, &wait, sizeof wait, &status, sizeof status,
             &got) ||
        got < sizeof status)
        return false;
    *out = RawBatteryStatus{status.PowerState, status.Capacity, status.Voltage, status.Rate};
    return true;
}

// Every battery device there is, read into `out`. False when the devices
// cannot be listed at all.
bool readDevices(bool powerOnly, BatterySlots& slots, HealthReading* out) {
    startBatteryReading(slots, out);
    HDEVINFO devices =
        SetupDiGetClassDevsW(&GUID_DEVCLASS_BATTERY, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE) return false;
    for (DWORD index = 0; index < kMostDevices; ++index) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof interfaceData;
        if (!SetupDiEnumDeviceInterfaces(devices, nullptr, &GUID_DEVCLASS_BATTERY, index, &interfaceData)) break;
        union {
            SP_DEVICE_INTERFACE_DETAIL_DATA_W detail;
            BYTE bytes[sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) + kDevicePathChars * sizeof(wchar_t)];
        } path;
        path.detail.cbSize = sizeof path.detail;
        if (!SetupDiGetDeviceInterfaceDetailW(devices, &interfaceData, &path.detail, sizeof path, nullptr, nullptr))
            continue;
        HANDLE battery = CreateFileW(path.detail.DevicePath, GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (battery == INVALID_HANDLE_VALUE) continue;
        char key[kDevicePathChars * 3];
        if (WideCharToMultiByte(CP_UTF8, 0, path.detail.DevicePath, -1, key, sizeof key, nullptr, nullptr) <= 0)
            key[0] = '\0';
        const BatteryDevice device{&battery, queryTag, queryInformation, queryText, queryStatus};
        readBatteryDevice(batteryDeviceKey(key), device, powerOnly, slots, out);
        CloseHandle(battery);
    }
    SetupDiDestroyDeviceInfoList(devices);
    finishBatteryReading(slots);
    return true;
}

// The reading in the background: the thread owns `slots` and `result`
// while the state is running; the user-interface thread takes the result
// once it is done.
enum : LONG { kIdle, kRunning, kDone };

struct Background {
    volatile LONG state;
    bool powerOnly;
    HANDLE thread;
    BatterySlots slots;
    HealthReading result;
};

Background background;

DWORD WINAPI readInBackground(void*) {
    if (!readDevices(background.powerOnly, background.slots, &background.result)) background.result.count = 0;
    InterlockedExchange(&background.state, kDone);
    return 0;
}

}  // namespace

void platformStartHealthRead(bool powerOnly) {
    if (InterlockedCompareExchange(&background.state, kRunning, kIdle) != kIdle) return;
    background.powerOnly = powerOnly;
    background.thread = CreateThread(nullptr, 64 * 1024, readInBackground, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                     nullptr);
    if (!background.thread) InterlockedExchange(&background.state, kIdle);
}

bool platformFinishHealthRead(HealthReading* out) {
    if (!out || InterlockedCompareExchange(&background.state, kDone, kDone) != kDone) return false;
    *out = background.result;
    CloseHandle(background.thread);
    background.thread = nullptr;
    InterlockedExchange(&background.state, kIdle);
    return true;
}

bool platformReadHealthNow(HealthReading* out) {
    static BatterySlots slots;
    return out && readDevices(false, slots, out);
}

int32_t platformUtcOffsetMinutes() {
    // Both from one moment, so the difference is the offset exactly.
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    FILETIME utcCount, localCount;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) || !SystemTimeToFileTime(&utc, &utcCount) ||
        !SystemTimeToFileTime(&local, &localCount))
        return 0;
    auto count = [](const FILETIME& t) { return static_cast<int64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime; };
    int64_t difference = count(localCount) - count(utcCount);
    return static_cast<int32_t>(difference / (60 * 10000000LL));
}
