// The running timers of a platform layer: the callback behind each id the
// system handed out, and the guard that keeps a tick from running inside its
// own callback. Both real platform layers keep their timers here.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class TimerTable {
public:
    bool hasRoom() const { return find(0) != nullptr; }

    void add(uintptr_t id, TimerCallback callback) {
        if (Slot* slot = find(0)) *slot = Slot{id, callback, false};
    }

    // False for an id that is not one of ours.
    bool remove(uintptr_t id) {
        Slot* slot = id ? find(id) : nullptr;
        if (!slot) return false;
        *slot = Slot{};
        return true;
    }

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
    };

    Slot* find(uintptr_t id) {
        for (Slot& slot : slots_)
            if (slot.id == id) return &slot;
        return nullptr;
    }
    const Slot* find(uintptr_t id) const { return const_cast<TimerTable*>(this)->find(id); }

    Slot slots_[8] = {};
};
