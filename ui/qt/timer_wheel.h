// The core's periodic timers on one Qt timer. Timers falling due within a
// short tolerance of each other fire on the same wake-up, late rather than
// early, so the monitor's two 100 ms timers wake the process ten times a
// second, not twenty.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <vector>

class TimerWheel : public QObject {
public:
    // `fire` is called with a timer's id each time it falls due.
    TimerWheel(void (*fire)(uintptr_t id), int toleranceMs);

    bool start(uintptr_t id, uint32_t periodMs);
    void stop(uintptr_t id);
    int wakeUps() const { return wakeUps_; }

private:
    struct Entry {
        uintptr_t id;
        int64_t periodMs;
        int64_t dueMs;
    };

    void erase(uintptr_t id);
    void schedule();
    void wake();

    void (*fire_)(uintptr_t id);
    int64_t toleranceMs_;
    std::vector<Entry> entries_;
    QTimer timer_;
    QElapsedTimer clock_;
    int wakeUps_ = 0;
};
