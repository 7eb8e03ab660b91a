// The core's timers on one Qt timer. Each timer steps on a grid of its own
// from its start; armed, it skips to the first step at least a delay from
// now. The one Qt timer is set for the earliest step due, and timers due
// within a short tolerance of each other fire on the same wake-up, late
// rather than early. A timer file descriptor tells when the system clock
// is set, so that the steps can be worked out again.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <vector>

class TimerWheel : public QObject {
public:
    // `fire` is called with a timer's id each time it falls due,
    // `clockSet` when the system clock has been set.
    TimerWheel(void (*fire)(uintptr_t id), int toleranceMs, void (*clockSet)() = nullptr);
    ~TimerWheel() override;

    bool start(uintptr_t id, uint32_t periodMs);
    void stop(uintptr_t id);
    void arm(uintptr_t id, int64_t delayMs);
    int wakeUps() const { return wakeUps_; }

private:
    struct Entry {
        uintptr_t id;
        int64_t periodMs;
        int64_t anchorMs;  // a step of its grid: the last one served, or the start
        int64_t dueMs;     // the step it fires at
    };

    void erase(uintptr_t id);
    void schedule();
    void wake();
    void watchClock();
    void clockChanged();

    void (*fire_)(uintptr_t id);
    void (*clockSet_)();
    int64_t toleranceMs_;
    std::vector<Entry> entries_;
    QTimer timer_;
    QElapsedTimer clock_;
    int clockFd_ = -1;
    QSocketNotifier* clockNotifier_ = nullptr;
    int wakeUps_ = 0;
};
