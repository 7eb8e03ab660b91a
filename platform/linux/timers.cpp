// The core's timers on Linux. Each keeps a grid of steps from its start
// and, armed, skips to the first step at which its tick has something to
// do. One monotonic timer file descriptor is set for the earliest step
// due, and timers due within a short tolerance after it wait for it, so
// they share the wake-up, late rather than early. A second one, set far
// ahead on the wall clock, is cancelled by the kernel when the clock is set
// (or the machine resumes), and the steps are worked out again. Both wait
// in one epoll set, which the front end's event loop watches.
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <limits>

#include "platform/linux/linux_platform.h"
#include "platform/time_count.h"
#include "platform/timer_table.h"

namespace {

// Two system clock ticks of Windows: the same tolerance on both systems.
constexpr int64_t kToleranceMs = 32;

// Where each timer stands on its grid (steady milliseconds).
struct Grid {
    uintptr_t id;
    int64_t period;
    int64_t anchor;  // a step of its grid: the last one served, or the start
    int64_t due;     // the step it fires at
};

TimerTable timers;
Grid grids[TimerTable::kSlots];
uintptr_t lastTimerId;

int wakeFd = -1;   // CLOCK_MONOTONIC: the next wake-up
int clockFd = -1;  // CLOCK_REALTIME, cancelled when the clock is set
int pollFd = -1;   // both, for the event loop
int64_t setFor = -1;  // the wake-up wakeFd is set for, -1 none

int64_t msOf(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000; }

int64_t steadyMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return msOf(now);
}

int64_t universalMs() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return msOf(now);
}

int64_t localMs() {
    LocalTime now;
    platformGetLocalTime(&now);
    return toMsCount(now);
}

Grid* gridOf(uintptr_t id) {
    for (Grid& grid : grids)
        if (grid.id == id) return &grid;
    return nullptr;
}

void watchClock() {
    itimerspec never{};
    never.it_value.tv_sec = std::numeric_limits<time_t>::max();  // past any date the clock reaches
    timerfd_settime(clockFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr);
}

bool watch(int fd) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    return epoll_ctl(pollFd, EPOLL_CTL_ADD, fd, &event) == 0;
}

// Made once; false when the system gave none.
bool descriptorsReady() {
    if (pollFd >= 0) return true;
    static bool tried;
    if (tried) return false;
    tried = true;
    wakeFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    clockFd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    pollFd = epoll_create1(EPOLL_CLOEXEC);
    if (wakeFd < 0 || clockFd < 0 || pollFd < 0 || !watch(wakeFd) || !watch(clockFd)) {
        const int made[] = {wakeFd, clockFd, pollFd};
        for (int fd : made)
            if (fd >= 0) close(fd);
        wakeFd = clockFd = pollFd = -1;
        return false;
    }
    watchClock();
    return true;
}

// Set for the earliest step due, or for the last one due within the
// tolerance after it, so that they share the wake-up.
void schedule() {
    int64_t earliest = INT64_MAX;
    for (const Grid& grid : grids)
        if (grid.id && grid.due < earliest) earliest = grid.due;
    int64_t wakeAt = earliest;
    for (const Grid& grid : grids)
        if (grid.id && grid.due <= earliest + kToleranceMs && grid.due > wakeAt) wakeAt = grid.due;
    if (wakeAt == INT64_MAX) wakeAt = -1;
    if (wakeAt == setFor) return;
    setFor = wakeAt;
    itimerspec when{};  // all zero: disarmed
    if (wakeAt >= 0) {
        when.it_value.tv_sec = wakeAt / 1000;
        when.it_value.tv_nsec = wakeAt % 1000 * 1000000;
        if (wakeAt == 0) when.it_value.tv_nsec = 1;  // zero would disarm it
    }
    timerfd_settime(wakeFd, TFD_TIMER_ABSTIME, &when, nullptr);
}

// The first step at which the timer is no longer quiet, or sooner to look
// at the clock again.
void arm(Grid& grid) {
    int64_t delay = wakeDelay(timers.quietFor(grid.id, localMs()), universalMs());
    if (delay > INT32_MAX) delay = INT32_MAX;
    grid.due = firstStepFrom(grid.anchor, grid.period, steadyMs() + delay);
    schedule();
}

// Woken to look at the clock, or the clock was set into the quiet span:
// not a tick.
void fire(uintptr_t id) {
    if (timers.quietFor(id, localMs()) == 0) timers.fire(id);
    if (Grid* grid = gridOf(id)) arm(*grid);  // unless the tick stopped it
}

bool drained(int fd) {
    uint64_t expirations;
    ssize_t got;
    while ((got = read(fd, &expirations, sizeof expirations)) < 0 && errno == EINTR) {
    }
    return got >= 0 || errno == ECANCELED;
}

}  // namespace

int linuxTimerFd() { return descriptorsReady() ? pollFd : -1; }

void linuxTimersWake() {
    if (pollFd < 0) return;
    if (drained(wakeFd)) setFor = -1;  // spent
    if (drained(clockFd)) {
        watchClock();
        for (Grid& grid : grids)
            if (grid.id && !timers.running(grid.id)) arm(grid);
    }
    const int64_t now = steadyMs();
    // Timers beyond the ones a wake-up serves stay due and fire at once at
    // the next; nothing is allocated.
    uintptr_t due[TimerTable::kSlots];
    int dueCount = 0;
    for (Grid& grid : grids) {
        if (!grid.id || grid.due > now) continue;  // early: it waits for its step
        due[dueCount++] = grid.id;
        // Keeps its phase; a stall skips the steps it missed, and the grid
        // goes on from now.
        grid.anchor = grid.due + grid.period > now ? grid.due : now;
        grid.due = grid.anchor + grid.period;
    }
    // Set first: a callback may run a nested event loop (a message box), and
    // the other timers go on meanwhile.
    schedule();
    // A callback may stop, start or arm timers, its own included.
    for (int i = 0; i < dueCount; ++i)
        if (gridOf(due[i])) fire(due[i]);
}

uintptr_t platformStartTimer(uint32_t periodMs, TimerCallback callback) {
    if (!callback || !timers.hasRoom() || !descriptorsReady()) return 0;
    // Ids are never reused soon, so a late tick of a stopped timer cannot
    // reach its successor.
    uintptr_t id = ++lastTimerId;
    if (id == 0) id = ++lastTimerId;
    timers.add(id, callback);
    const int64_t period = periodMs < 1 ? 1 : periodMs;
    const int64_t now = steadyMs();
    if (Grid* grid = gridOf(0)) *grid = Grid{id, period, now, now + period};
    schedule();
    return id;
}

void platformStopTimer(uintptr_t id) {
    if (!timers.remove(id)) return;
    if (Grid* grid = gridOf(id)) *grid = Grid{};
    schedule();
}

void platformArmTimer(uintptr_t id, int64_t quietFrom, int64_t quietUntil) {
    // Armed by its own tick, it is set when the tick is over.
    if (!timers.arm(id, quietFrom, quietUntil) || timers.running(id)) return;
    if (Grid* grid = gridOf(id)) arm(*grid);
}
