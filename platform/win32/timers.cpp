// Thread timers without a window: the system calls timerProc from the UI
// thread's message dispatching, and the table maps its id to the callback.
// Each timer keeps its own grid of steps from its start; armed, it is set
// with the elapse to the first step at which it has something to do, and
// set again after every tick.
#include "platform/timer_table.h"
#include "platform/win32/win32_internal.h"

namespace {

using SetCoalescableTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);

// Two system clock ticks (15.6 ms each): the system may serve timers due
// this close together in one wake-up, and a tick is at most a third of a
// step late, which the monitor's interval grids absorb.
constexpr ULONG kToleranceMs = 32;

// Where each timer stands on its grid (steady milliseconds).
struct Grid {
    uintptr_t id;
    int64_t period;
    int64_t lastStep;  // the step last served, or the start
    int64_t stepAt;    // the step it is set for
};

TimerTable timers;
Grid grids[TimerTable::kSlots];
HWND clockWindow;

SetCoalescableTimerFn setCoalescableTimer() {
    static bool looked;
    static SetCoalescableTimerFn function;
    if (!looked) {
        looked = true;
        function = procAddress<SetCoalescableTimerFn>(GetModuleHandleW(L"user32.dll"), "SetCoalescableTimer");
    }
    return function;
}

int64_t steadyMs() {
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart / frequency.QuadPart * 1000 + count.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart;
}

int64_t msOf(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 10000);
}

// On the count the monitor arms with: local wall-clock milliseconds since 1601.
int64_t localMs() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME count;
    return SystemTimeToFileTime(&local, &count) ? msOf(count) : 0;
}

int64_t universalMs() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return msOf(now);
}

Grid* gridOf(uintptr_t id) {
    for (Grid& grid : grids)
        if (grid.id == id) return &grid;
    return nullptr;
}

void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD);

// Creates a timer (id 0) or sets an existing one anew; 0 on failure.
UINT_PTR setTimer(UINT_PTR id, int64_t elapseMs) {
    UINT elapse = static_cast<UINT>(elapseMs < USER_TIMER_MINIMUM   ? USER_TIMER_MINIMUM
                                    : elapseMs > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM
                                                                    : elapseMs);
    UINT_PTR set = 0;
    if (SetCoalescableTimerFn coalescable = setCoalescableTimer())
        set = coalescable(nullptr, id, elapse, timerProc, kToleranceMs);
    if (set == 0) set = SetTimer(nullptr, id, elapse, timerProc);
    return set;
}

// Set for the first step after the one served at which the timer is no
// longer quiet, or sooner to look at the clock again.
void schedule(Grid& grid) {
    const int64_t now = steadyMs();
    const int64_t quiet = timers.quietFor(grid.id, localMs());
    grid.stepAt = firstStepFrom(grid.lastStep, grid.period, now + (quiet < INT32_MAX ? quiet : INT32_MAX));
    setTimer(grid.id, wakeDelay(grid.stepAt - now, universalMs()));
}

void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD) {
    Grid* grid = gridOf(id);
    if (!grid) return;
    const int64_t now = steadyMs();
    // Early, woken to look at the clock, or the clock was set into the
    // quiet span: not a tick.
    if (now < grid->stepAt || timers.quietFor(id, localMs()) > 0) {
        if (now >= grid->stepAt) grid->lastStep = grid->stepAt;
        schedule(*grid);
        return;
    }
    // Steps missed while the thread was busy coalesce into this one.
    grid->lastStep = grid->stepAt + (now - grid->stepAt) / grid->period * grid->period;
    timers.fire(id);
    if ((grid = gridOf(id))) schedule(*grid);
}

// Sent to every top-level window when the clock is set: each timer's next
// step is worked out again from the new local time.
LRESULT CALLBACK clockWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMECHANGE) {
        for (Grid& grid : grids)
            if (grid.id && !timers.running(grid.id)) schedule(grid);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden window of its own, never shown: a message-only window would not
// hear the broadcast.
void watchClock() {
    if (clockWindow) return;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = clockWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CellwardenClock";
    RegisterClassW(&windowClass);
    clockWindow = CreateWindowExW(WS_EX_TOOLWINDOW, L"CellwardenClock", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
}

}  // namespace

uintptr_t platformStartTimer(uint32_t periodMs, TimerCallback callback) {
    if (!callback || !timers.hasRoom()) return 0;
    watchClock();
    const int64_t period = periodMs < 1 ? 1 : periodMs;
    UINT_PTR id = setTimer(0, period);
    if (id == 0) return 0;
    timers.add(id, callback);
    const int64_t now = steadyMs();
    if (Grid* grid = gridOf(0)) *grid = Grid{id, period, now, now + period};
    return id;
}

void platformStopTimer(uintptr_t id) {
    // Only our own timers: an unknown id is not ours to kill.
    if (!timers.remove(id)) return;
    KillTimer(nullptr, id);
    if (Grid* grid = gridOf(id)) *grid = Grid{};
}

void platformArmTimer(uintptr_t id, int64_t quietFrom, int64_t quietUntil) {
    if (!timers.arm(id, quietFrom, quietUntil)) return;
    // Armed by its own tick, it is set when the tick is over.
    Grid* grid = gridOf(id);
    if (grid && !timers.running(id)) schedule(*grid);
}
