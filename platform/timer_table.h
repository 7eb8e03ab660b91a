// The running timers of a platform layer: the callback behind each id the
// system handed out, the span of local time each is armed to sleep through,
// and the guard that keeps a tick from running inside its own callback.
// Both real platform layers keep their timers here.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class TimerTable {
public:
    bool hasRoom() const { return find(0) != nullptr; }

    // A new timer is never quiet: it ticks at every step until armed.
    void add(uintptr_t id, TimerCallback callback) {
        if (Slot* slot = find(0)) *slot = Slot{id, callback, false, 0, 0};
    }

    // False for an id that is not one of ours.
    bool remove(uintptr_t id) {
        Slot* slot = id ? find(id) : nullptr;
        if (!slot) return false;
        *slot = Slot{};
        return true;
    }

    bool arm(uintptr_t id, int64_t quietFrom, int64_t quietUntil) {
        Slot* slot = id ? find(id) : nullptr;
        if (!slot) return false;
        slot->quietFrom = quietFrom;
        slot->quietUntil = quietUntil;
        return true;
    }

    // Milliseconds from the local time `wallMs` until the timer's quiet
    // span ends: 0 outside it, INT64_MAX when it never ends.
    int64_t quietFor(uintptr_t id, int64_t wallMs) const {
        const Slot* slot = id ? find(id) : nullptr;
        if (!slot || wallMs <= slot->quietFrom || wallMs >= slot->quietUntil) return 0;
        return slot->quietUntil == INT64_MAX ? INT64_MAX : slot->quietUntil - wallMs;
    }

    bool has(uintptr_t id) const { return id && find(id); }

    // Whether its callback runs now (the tick that armed it is not over).
    bool running(uintptr_t id) const {
        const Slot* slot = id ? find(id) : nullptr;
        return slot && slot->running;
    }

    // The ids in use, for walking them: 0 for a free slot.
    static constexpr int kSlots = 8;
    uintptr_t idAt(int index) const { return slots_[index].id; }

    // A tick that falls due while its own callback still runs (inside a
    // nested message loop) coalesces into the running one.
    void fire(uintptr_t id) {
        Slot* slot = id ? find(id) : nullptr;
        if (!slot || slot->running) return;
        slot->running = true;
        slot->callback();
        // The callback may have stopped this timer, and a new one may hold the slot.
        if (Slot* after = find(id)) after->running = false;
    }

private:
    struct Slot {
        uintptr_t id;
        TimerCallback callback;
        bool running;
        int64_t quietFrom;  // local ms since 1601, as armed
        int64_t quietUntil;
    };

    Slot* find(uintptr_t id) {
        for (Slot& slot : slots_)
            if (slot.id == id) return &slot;
        return nullptr;
    }
    const Slot* find(uintptr_t id) const { return const_cast<TimerTable*>(this)->find(id); }

    Slot slots_[kSlots] = {};
};

// The first step of a grid through `anchor` with `period` that lies after
// `anchor` and at or after `at` (all in the same milliseconds).
inline int64_t firstStepFrom(int64_t anchor, int64_t period, int64_t at) {
    if (period < 1) period = 1;
    if (at <= anchor) return anchor + period;
    int64_t ahead = at - anchor;
    return anchor + (ahead / period + (ahead % period != 0)) * period;
}

// How long a quiet timer may sleep before it looks at the clock again:
// until its quiet span ends, but not past the next quarter hour of
// universal time, where time zones change their offsets and the local
// clock jumps without being set.
inline int64_t wakeDelay(int64_t quietMs, int64_t utcMs) {
    constexpr int64_t kQuarterHourMs = 15 * 60 * 1000;
    int64_t toQuarter = kQuarterHourMs - (utcMs % kQuarterHourMs + kQuarterHourMs) % kQuarterHourMs;
    return quietMs < toQuarter ? quietMs : toQuarter;
}
