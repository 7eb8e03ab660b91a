#include "ui/qt/timer_wheel.h"

#include <algorithm>

TimerWheel::TimerWheel(void (*fire)(uintptr_t id), int toleranceMs) : fire_(fire), toleranceMs_(toleranceMs) {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { wake(); });
}

bool TimerWheel::start(uintptr_t id, uint32_t periodMs) {
    erase(id);
    const int64_t period = std::max<int64_t>(periodMs, 1);
    entries_.push_back(Entry{id, period, clock_.elapsed() + period});
    schedule();
    return true;
}

void TimerWheel::stop(uintptr_t id) {
    erase(id);
    schedule();
}

void TimerWheel::erase(uintptr_t id) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; }),
                   entries_.end());
}

// The wake-up waits for the timers due within the tolerance after the
// earliest one, so they share it.
void TimerWheel::schedule() {
    if (entries_.empty()) {
        timer_.stop();
        return;
    }
    int64_t earliest = entries_.front().dueMs;
    for (const Entry& e : entries_) earliest = std::min(earliest, e.dueMs);
    int64_t wakeAt = earliest;
    for (const Entry& e : entries_)
        if (e.dueMs <= earliest + toleranceMs_) wakeAt = std::max(wakeAt, e.dueMs);
    timer_.start(static_cast<int>(std::clamp<int64_t>(wakeAt - clock_.elapsed(), 0, INT32_MAX)));
}

void TimerWheel::wake() {
    ++wakeUps_;
    const int64_t now = clock_.elapsed();
    std::vector<uintptr_t> due;
    for (Entry& e : entries_) {
        if (e.dueMs > now) continue;
        due.push_back(e.id);
        // Keeps its phase; a stall skips the ticks it missed.
        e.dueMs += e.periodMs;
        if (e.dueMs <= now) e.dueMs = now + e.periodMs;
    }
    // Rescheduled first: a callback may run a nested event loop (a message
    // box), and the other timers go on meanwhile.
    schedule();
    // A callback may stop or start timers, this one's included; both
    // reschedule themselves.
    for (uintptr_t id : due)
        if (std::any_of(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; })) fire_(id);
}
