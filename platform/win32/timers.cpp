// Thread timers without a window: the system calls timerProc from the UI
// thread's message dispatching, and the table maps its id to the callback.
#include "platform/timer_table.h"
#include "platform/win32/win32_internal.h"

namespace {

using SetCoalescableTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);

// Two system clock ticks (15.6 ms each). The log timer starts after the
// main timer's first refresh, so their phases differ by that long; with this
// slack the system serves both in one wake-up, and a tick is at most a third
// of its period late, which the monitor's interval grids absorb.
constexpr ULONG kToleranceMs = 32;

TimerTable timers;

void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD) { timers.fire(id); }

SetCoalescableTimerFn setCoalescableTimer() {
    static bool looked;
    static SetCoalescableTimerFn function;
    if (!looked) {
        looked = true;
        function = procAddress<SetCoalescableTimerFn>(GetModuleHandleW(L"user32.dll"), "SetCoalescableTimer");
    }
    return function;
}

}  // namespace

uintptr_t platformStartTimer(uint32_t periodMs, TimerCallback callback) {
    if (!callback || !timers.hasRoom()) return 0;
    UINT_PTR id = 0;
    if (SetCoalescableTimerFn coalescable = setCoalescableTimer())
        id = coalescable(nullptr, 0, periodMs, timerProc, kToleranceMs);
    if (id == 0) id = SetTimer(nullptr, 0, periodMs, timerProc);
    if (id == 0) return 0;
    timers.add(id, callback);
    return id;
}

void platformStopTimer(uintptr_t id) {
    // Only our own timers: an unknown id is not ours to kill.
    if (timers.remove(id)) KillTimer(nullptr, id);
}
