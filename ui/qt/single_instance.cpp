// The lock decides who is first, the socket only carries the request: a
// first that crashed leaves its socket file behind, but the kernel dropped
// its flock, so the next start becomes first and replaces the socket.
#include "ui/qt/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <QtGlobal>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A lock name that is taken by something else than our own regular file
// (a symlink, a directory) is passed over for the next one. Every start
// passes over the same names, so all of them meet at the same lock, and
// nobody ever removes a lock file: two starts at once cannot end up
// holding two different files.
constexpr int kLockNames = 4;
constexpr int kAskMs = 1000;
constexpr char kRequest[] = "raise\n";
constexpr char kAnswer[] = "ok\n";
// Beside the settings file; another name than the lock held for a read or a save.
constexpr char kFolderLockName[] = "CELWRD.RUN";

struct Instance {
    bool located = false;
    int dirFd = -1;      // the private directory, or -1 when there is none
    char dir[256] = {};  // its path
    int index = 0;       // which lock and socket name
    bool first = false;
    int lockFd = -1;
    int folderLockFd = -1;
    void (*raise)() = nullptr;
};
Instance instance;

void lockName(int index, char* out, size_t size) {
    if (index == 0) snprintf(out, size, "cellwarden.lock");
    else snprintf(out, size, "cellwarden-%d.lock", index);
}

void socketName(int index, char* out, size_t size) {
    if (index == 0) snprintf(out, size, "cellwarden.socket");
    else snprintf(out, size, "cellwarden-%d.socket", index);
}

// The socket's address; false when the path does not fit (socketFits
// made sure it does).
bool socketAddress(sockaddr_un* address) {
    char name[32];
    socketName(instance.index, name, sizeof name);
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    const int length = snprintf(address->sun_path, sizeof address->sun_path, "%s/%s", instance.dir, name);
    return length > 0 && static_cast<size_t>(length) < sizeof address->sun_path;
}

// The directory `name` (under `at`) when it is really ours: not a symlink,
// owned by us, and nobody else can write in it. `create` makes it when
// missing and makes it 0700 whatever the umask or an earlier run left.
int openPrivateDir(int at, const char* name, bool create) {
    if (create && mkdirat(at, name, 0700) != 0 && errno != EEXIST) return -1;
    int fd = openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    bool ours = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid();
    mode_t mode = info.st_mode & 07777;
    if (ours && create && mode != 0700) {
        ours = fchmod(fd, 0700) == 0;
        mode = 0700;
    }
    if (ours && (mode & 022) != 0) ours = false;
    if (!ours) {
        close(fd);
        return -1;
    }
    return fd;
}

// Whether `dir` leaves room for our sockets' paths, which a Unix socket
// holds in 107 bytes: a runtime directory too long for them is passed over
// for the next place, as one that is not ours is.
bool socketFits(const char* dir) {
    char longest[32];
    socketName(kLockNames - 1, longest, sizeof longest);
    return strlen(dir) + 1 + strlen(longest) < sizeof(sockaddr_un::sun_path);
}

bool useDir(int fd, const char* path) {
    if (fd < 0 || strlen(path) >= sizeof instance.dir || !socketFits(path)) {
        if (fd >= 0) close(fd);
        return false;
    }
    instance.dirFd = fd;
    snprintf(instance.dir, sizeof instance.dir, "%s", path);
    return true;
}

// Where nobody else can make it first: under the home the password
// database gives this user id (not $HOME, which a start through su
// keeps), in a folder per machine, as homes are shared over the network.
bool useHomeFallback() {
    const passwd* user = getpwuid(geteuid());
    char host[65] = {};
    if (!user || user->pw_dir[0] != '/' || gethostname(host, sizeof host - 1) != 0) return false;
    int home = open(user->pw_dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info;
    bool ours = home >= 0 && fstat(home, &info) == 0 && info.st_uid == geteuid() && (info.st_mode & 022) == 0;
    int cache = ours ? openPrivateDir(home, ".cache", false) : -1;
    if (ours && cache < 0 && mkdirat(home, ".cache", 0700) == 0) cache = openPrivateDir(home, ".cache", false);
    if (home >= 0) close(home);
    if (cache < 0) return false;
    char name[80];
    snprintf(name, sizeof name, "cellwarden-%s", host);
    int fd = openPrivateDir(cache, name, true);
    close(cache);
    char path[sizeof instance.dir + 100];
    snprintf(path, sizeof path, "%s/.cache/%s", user->pw_dir, name);
    return useDir(fd, path);
}

// $XDG_RUNTIME_DIR when it is the user's own; else the one logind makes
// for the user id; else the fallback under the home. Every start of this
// user finds the same one, whatever its environment says.
void locate() {
    if (instance.located) return;
    instance.located = true;
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && useDir(openPrivateDir(AT_FDCWD, runtime, false), runtime)) return;
    char byUid[32];
    snprintf(byUid, sizeof byUid, "/run/user/%u", static_cast<unsigned>(geteuid()));
    if (useDir(openPrivateDir(AT_FDCWD, byUid, false), byUid)) return;
    if (useHomeFallback()) return;
    qWarning("cellwarden: no private runtime directory for this user; running without the single-instance lock");
}

enum class Lock { Taken, HeldElsewhere, Unusable };

// O_NOFOLLOW: a symlink is never followed; O_NONBLOCK: a FIFO planted
// under the name does not hang the open.
Lock tryLock(int index, int* fdOut) {
    char name[32];
    lockName(index, name, sizeof name);
    int fd = openat(instance.dirFd, name, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) return Lock::Unusable;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        close(fd);
        return Lock::Unusable;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? Lock::HeldElsewhere : Lock::Unusable;
    }
    *fdOut = fd;
    return Lock::Taken;
}

// Our pid in the lock file, for whoever looks.
void writePid(int fd) {
    char text[24];
    int length = snprintf(text, sizeof text, "%ld\n", static_cast<long>(getpid()));
    if (ftruncate(fd, 0) == 0 && pwrite(fd, text, static_cast<size_t>(length), 0) < 0) {
        // Only a note: the lock is what counts.
    }
}

// A later start's request, read as it comes in; a peer that says nothing,
// or too much, is not kept.
class Peer : public QObject {
public:
    explicit Peer(int fd) : fd_(fd), readable_(fd, QSocketNotifier::Read) {
        setParent(QCoreApplication::instance());
        readable_.setParent(this);
        connect(&readable_, &QSocketNotifier::activated, this, [this] { read(); });
        QTimer::singleShot(2 * kAskMs, this, [this] { end(); });
    }
    ~Peer() override { close(fd_); }

    void read() {
        const ssize_t got = recv(fd_, line_ + used_, sizeof line_ - used_, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (got <= 0) return end();
        used_ += static_cast<size_t>(got);
        const void* newline = memchr(line_, '\n', used_);
        if (!newline) {
            if (used_ == sizeof line_) end();
            return;
        }
        const size_t length = static_cast<const char*>(newline) - line_ + 1;
        const bool asked = length == sizeof kRequest - 1 && memcmp(line_, kRequest, length) == 0;
        if (asked) send(fd_, kAnswer, sizeof kAnswer - 1, MSG_DONTWAIT | MSG_NOSIGNAL);
        // Done with the peer before `raise`, which may run an event loop of
        // its own.
        end();
        if (asked && instance.raise) instance.raise();
    }

private:
    void end() {
        readable_.setEnabled(false);
        deleteLater();
    }

    int fd_;
    QSocketNotifier readable_;
    char line_[64];
    size_t used_ = 0;
};

void acceptLaterStarts(int server) {
    for (;;) {
        const int peer = accept4(server, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (peer < 0) return;
        auto* request = new Peer(peer);
        request->read();  // what came with the connection
    }
}

void listenForLaterStarts() {
    char name[32];
    socketName(instance.index, name, sizeof name);
    // Whatever sits under the name is stale (a crashed first's socket) or
    // planted; unlink removes a symlink itself, never its target.
    if (unlinkat(instance.dirFd, name, 0) != 0 && errno != ENOENT)
        qWarning("cellwarden: cannot remove %s/%s: %s", instance.dir, name, strerror(errno));
    sockaddr_un address;
    const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (server < 0 || !socketAddress(&address) ||
        bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(server, 16) != 0) {
        qWarning("cellwarden: cannot listen on %s/%s: %s", instance.dir, name, strerror(errno));
        if (server >= 0) close(server);
        return;
    }
    // Open for the process's life, as the lock is.
    auto* incoming = new QSocketNotifier(server, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(incoming, &QSocketNotifier::activated, incoming, [server] { acceptLaterStarts(server); });
}

int64_t monotonicMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Until `fd` is ready for `events` or `deadline` (monotonic ms) passes.
bool waitUntil(int fd, short events, int64_t deadline) {
    for (;;) {
        const int64_t left = deadline - monotonicMs();
        if (left <= 0) return false;
        pollfd ready{fd, events, 0};
        const int n = poll(&ready, 1, static_cast<int>(left));
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) return false;
    }
}

// One request on a connected socket: true when the first answered in time.
bool request(int fd, int64_t deadline) {
    size_t sent = 0;
    while (sent < sizeof kRequest - 1) {
        const ssize_t n = send(fd, kRequest + sent, sizeof kRequest - 1 - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) sent += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        else if (!waitUntil(fd, POLLOUT, deadline)) return false;
    }
    char answer[64];
    size_t got = 0;
    while (got < sizeof answer && !memchr(answer, '\n', got)) {
        const ssize_t n = recv(fd, answer + got, sizeof answer - got, MSG_DONTWAIT);
        if (n > 0) got += static_cast<size_t>(n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR)) break;
        else if (!waitUntil(fd, POLLIN, deadline)) break;
    }
    return got == sizeof kAnswer - 1 && memcmp(answer, kAnswer, got) == 0;
}

}  // namespace

bool becomeFirstInstance(void (*raise)()) {
    instance.raise = raise;
    if (instance.first) return true;
    locate();
    if (instance.dirFd < 0) return true;
    for (int index = 0; index < kLockNames; ++index) {
        int fd = -1;
        Lock lock = tryLock(index, &fd);
        if (lock == Lock::Unusable) continue;
        instance.index = index;
        if (lock == Lock::HeldElsewhere) return false;
        // Held until the process ends: never closed, and not handed to the
        // programs we start (O_CLOEXEC).
        instance.lockFd = fd;
        instance.first = true;
        writePid(fd);
        listenForLaterStarts();
        return true;
    }
    qWarning("cellwarden: no usable lock file in %s; running without the single-instance lock", instance.dir);
    return true;
}

bool holdFolderLock(const char* folder) {
    if (instance.folderLockFd >= 0) return true;
    int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = dir >= 0 ? openat(dir, kFolderLockName, O_RDWR | O_CREAT | flags, 0600) : -1;
    // A read-only folder (a medium, a mount) still takes a lock on a file
    // an earlier run left.
    if (fd < 0 && dir >= 0 && (errno == EROFS || errno == EACCES)) fd = openat(dir, kFolderLockName, O_RDONLY | flags);
    int why = errno;
    if (dir >= 0) close(dir);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())) {
        close(fd);
        fd = -1;
        why = EPERM;
    }
    if (fd < 0) {
        qWarning("cellwarden: no lock file %s%s (%s); two programs could run on this folder", folder, kFolderLockName,
                 strerror(why));
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        why = errno;
        close(fd);
        return why != EWOULDBLOCK;
    }
    // Held until the process ends, as the single-instance lock is.
    instance.folderLockFd = fd;
    writePid(fd);
    return true;
}

bool askFirstToRaise() {
    locate();
    if (instance.dirFd < 0 || instance.first) return false;
    sockaddr_un address;
    if (!socketAddress(&address)) return false;
    const int64_t deadline = monotonicMs() + kAskMs;
    for (;;) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return false;
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            const bool answered = request(fd, deadline);
            close(fd);
            return answered;
        }
        close(fd);
        // Not listening yet (the first has only just taken the lock), or its
        // queue is full: again a little later.
        const int64_t left = deadline - monotonicMs();
        if (left <= 0) return false;
        usleep(static_cast<useconds_t>(qMin<int64_t>(50, left) * 1000));
        if (monotonicMs() >= deadline) return false;
    }
}
