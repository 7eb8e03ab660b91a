#include "ui/qt/timer_wheel.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <iterator>

#include "platform/timer_table.h"

TimerWheel::TimerWheel(void (*fire)(uintptr_t id), int toleranceMs, void (*clockSet)())
    : fire_(fire), clockSet_(clockSet), toleranceMs_(toleranceMs) {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { wake(); });
    watchClock();
}

TimerWheel::~TimerWheel() {
    if (clockFd_ >= 0) close(clockFd_);
}

// A timer set far ahead on the wall clock that the kernel cancels when the
// clock is set, and on resume from a suspend.
void TimerWheel::watchClock() {
    if (clockFd_ < 0) {
        clockFd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (clockFd_ < 0) return;
        clockNotifier_ = new QSocketNotifier(clockFd_, QSocketNotifier::Read, this);
        connect(clockNotifier_, &QSocketNotifier::activated, this, [this] { clockChanged(); });
    }
    itimerspec never{};
    never.it_value.tv_sec = INT_MAX;
    timerfd_settime(clockFd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr);
}

void TimerWheel::clockChanged() {
    uint64_t expirations;
    while (read(clockFd_, &expirations, sizeof expirations) < 0 && errno == EINTR) {
    }
    watchClock();
    if (clockSet_) clockSet_();
}

bool TimerWheel::start(uintptr_t id, uint32_t periodMs) {
    erase(id);
    const int64_t period = std::max<int64_t>(periodMs, 1);
    const int64_t now = clock_.elapsed();
    entries_.push_back(Entry{id, period, now, now + period});
    schedule();
    return true;
}

void TimerWheel::stop(uintptr_t id) {
    erase(id);
    schedule();
}

void TimerWheel::arm(uintptr_t id, int64_t delayMs) {
    const int64_t now = clock_.elapsed();
    for (Entry& e : entries_) {
        if (e.id != id) continue;
        e.dueMs = firstStepFrom(e.anchorMs, e.periodMs, now + std::clamp<int64_t>(delayMs, 0, INT32_MAX));
    }
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
    // No allocation at each wake-up: the platform never runs more timers
    // than its table holds, and any beyond stay due and fire at the next
    // wake-up, at once.
    uintptr_t due[TimerTable::kSlots];
    size_t dueCount = 0;
    for (Entry& e : entries_) {
        if (e.dueMs > now) continue;  // early: it waits for its step
        if (dueCount == std::size(due)) break;
        due[dueCount++] = e.id;
        // Keeps its phase; a stall skips the steps it missed, and the grid
        // goes on from now.
        e.anchorMs = e.dueMs + e.periodMs > now ? e.dueMs : now;
        e.dueMs = e.anchorMs + e.periodMs;
    }
    // Rescheduled first: a callback may run a nested event loop (a message
    // box), and the other timers go on meanwhile.
    schedule();
    // A callback may stop, start or arm timers, this one's included; each
    // reschedules itself.
    for (size_t i = 0; i < dueCount; ++i) {
        const uintptr_t id = due[i];
        if (std::any_of(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; })) fire_(id);
    }
}
