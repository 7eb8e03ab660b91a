// Thread timers without a window: the system calls timerProc from the UI
// thread's message dispatching, and the table maps its id to the callback.
#include "platform/win32/win32_internal.h"

namespace {

using SetCoalescableTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);

// Two system clock ticks (15.6 ms each). The log timer starts after the
// main timer's first refresh, so their phases differ by that long; with this
// slack the system serves both in one wake-up, and a tick is at most a third
// of its period late, which the monitor's interval grids absorb.
constexpr ULONG kToleranceMs = 32;

struct TimerSlot {
    UINT_PTR id;
    TimerCallback callback;
    bool running;
};

TimerSlot slots[8];

TimerSlot* slotOf(UINT_PTR id) {
    for (TimerSlot& slot : slots)
        if (slot.id == id && id != 0) return &slot;
    return nullptr;
}

void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD) {
    TimerSlot* slot = slotOf(id);
    // A tick that falls due while its own callback still runs (inside a
    // nested message loop) coalesces into the running one.
    if (!slot || slot->running) return;
    slot->running = true;
    slot->callback();
    // The callback may have stopped this timer, and a new one may hold the slot.
    if (TimerSlot* after = slotOf(id)) after->running = false;
}

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
    if (!callback) return 0;
    TimerSlot* slot = nullptr;
    for (TimerSlot& candidate : slots)
        if (candidate.id == 0) {
            slot = &candidate;
            break;
        }
    if (!slot) return 0;
    UINT_PTR id = 0;
    if (SetCoalescableTimerFn coalescable = setCoalescableTimer())
        id = coalescable(nullptr, 0, periodMs, timerProc, kToleranceMs);
    if (id == 0) id = SetTimer(nullptr, 0, periodMs, timerProc);
    if (id == 0) return 0;
    *slot = TimerSlot{id, callback, false};
    return id;
}

void platformStopTimer(uintptr_t id) {
    // Only our own timers: an unknown id is not ours to kill.
    TimerSlot* slot = slotOf(id);
    if (!slot) return;
    KillTimer(nullptr, id);
    *slot = TimerSlot{};
}
