// Files opened for one operation: the log is opened for every line, so the
// records come from a small pool rather than the heap.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/linux/trust.h"
#include "platform/platform.h"
#include "platform/record_pool.h"
#include "platform/temporary_name.h"

struct PlatformFile {
    int fd;
    FileOpen mode;
    bool failed;
};

namespace {

// The trace file, the log, the settings file or script, a temporary and
// the settings lock are the most ever open at once; more fail to open.
RecordPool<PlatformFile, 8> pool;

constexpr size_t kLargestTransfer = 1u << 30;

constexpr int kLockWaitMs = 5000;

// A record first, so that a full pool never leaves a file truncated.
template <typename Open>
PlatformFile* openPooled(FileOpen mode, Open open) {
    PlatformFile* file = pool.acquire(PlatformFile{-1, mode, false});
    if (!file) return nullptr;
    file->fd = open();
    if (file->fd >= 0) return file;
    pool.release(file);
    return nullptr;
}

bool copyName(char* out, size_t size, const char* text) {
    size_t length = strlen(text);
    if (length >= size) return false;
    memcpy(out, text, length + 1);
    return true;
}

// The directory part of `path` ("." when it has none); false when it does not fit.
bool directoryOf(const char* path, char* out, size_t size) {
    const char* slash = strrchr(path, '/');
    if (!slash) return copyName(out, size, ".");
    size_t length = slash == path ? 1 : static_cast<size_t>(slash - path);
    if (length >= size) return false;
    memcpy(out, path, length);
    out[length] = '\0';
    return true;
}

bool directoryIsClosedToOthers(const char* path) {
    char directory[PATH_MAX];
    return directoryOf(path, directory, sizeof directory) && isClosedToOthers(-1, directory);
}

// Follows `path` through links that the user or root made, into `out`;
// false at a link of anyone else's, a loop, or a name too long. A chain
// ends at what is no link, or at a name that does not exist yet.
bool followOwnLinks(const char* path, char (&out)[PATH_MAX]) {
    if (!copyName(out, sizeof out, path)) return false;
    for (int depth = 0; depth < 16; ++depth) {
        struct stat info;
        if (lstat(out, &info) != 0) return errno == ENOENT;
        if (!S_ISLNK(info.st_mode)) return true;
        if (!isTrustedOwner(info.st_uid)) return false;
        char target[PATH_MAX];
        ssize_t length = readlink(out, target, sizeof target - 1);
        if (length <= 0) return false;
        target[length] = '\0';
        if (target[0] == '/') {
            if (!copyName(out, sizeof out, target)) return false;
            continue;
        }
        char directory[PATH_MAX];
        if (!directoryOf(out, directory, sizeof directory)) return false;
        if (snprintf(out, sizeof out, "%s/%s", directory, target) >= static_cast<int>(sizeof out)) return false;
    }
    return false;
}

// A file made here carries just its mode: a default ACL of its folder
// would hand it to the users and groups it names.
int openOrMake(const char* path, int flags) {
    if (!(flags & O_CREAT)) return open(path, flags);
    for (int attempt = 0; attempt < 4; ++attempt) {
        int fd = open(path, flags & ~O_CREAT);
        if (fd >= 0 || errno != ENOENT) return fd;
        fd = open(path, flags | O_EXCL, 0644);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0 || keepOnlyMode(fd)) return fd;
        close(fd);
        unlink(path);
        errno = EACCES;
        return -1;
    }
    return -1;
}

// Opened without blocking, so that a FIFO named as the log cannot hang the
// monitor; only what behaves as a file is kept, and only a regular file is
// read.
int openPlainFile(const char* path, int flags, bool regularOnly) {
    int fd = openOrMake(path, flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat info;
    bool refused = fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || S_ISFIFO(info.st_mode) ||
                   S_ISSOCK(info.st_mode) || (regularOnly && !S_ISREG(info.st_mode));
    if (refused) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Writing goes only through links of the user's own: a link planted by
// someone else could point at any file of ours.
int openForWriting(const char* path, int flags) {
    char target[PATH_MAX];
    if (!followOwnLinks(path, target)) return -1;
    return openPlainFile(target, flags | O_NOFOLLOW, false);
}

bool syncPath(const char* path, int flags) {
    int fd = open(path, flags | O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    // File systems that cannot sync a directory say EINVAL: there is
    // nothing more to wait for there.
    bool ok = fsync(fd) == 0 || errno == EINVAL;
    close(fd);
    return ok;
}

// Six letters and digits no one can guess, for a name of our own; false
// when the kernel gives no random bytes.
bool randomLetters(char (&out)[7]) {
    unsigned char bytes[6];
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return false;
    temporaryNameLetters(bytes, out);
    return true;
}

long long monotonicMs() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

PlatformFile* platformOpenFile(const char* path, FileOpen mode) {
    if (!path || !*path) return nullptr;
    return openPooled(mode, [&] {
        if (mode == FileOpen::Read) return openPlainFile(path, O_RDONLY, true);
        int flags = mode == FileOpen::Create ? O_TRUNC : O_APPEND;
        return openForWriting(path, O_WRONLY | O_CREAT | flags);
    });
}

size_t platformReadFile(PlatformFile* file, char* buf, size_t size) {
    if (!file || !buf || size == 0) return 0;
    size_t wanted = size < kLargestTransfer ? size : kLargestTransfer;
    ssize_t got;
    do got = read(file->fd, buf, wanted);
    while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<size_t>(got) : 0;
}

bool platformWriteFile(PlatformFile* file, const char* data, size_t size) {
    if (!file) return false;
    if (file->mode == FileOpen::Read || (!data && size > 0)) {
        file->failed = true;
        return false;
    }
    while (size > 0) {
        size_t chunk = size < kLargestTransfer ? size : kLargestTransfer;
        ssize_t written = write(file->fd, data, chunk);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            file->failed = true;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool platformCloseFile(PlatformFile* file) {
    if (!file) return false;
    bool ok = !file->failed;
    // A settings file or a file about to replace one must be on the disk
    // before the rename; a failure here is a lost write like any other.
    if (file->mode == FileOpen::Create && ok && fsync(file->fd) != 0 && errno != EINVAL) ok = false;
    if (close(file->fd) != 0 && errno != EINTR) ok = false;
    pool.release(file);
    return ok;
}

bool platformIsFileTrusted(PlatformFile* file, const char* path) {
    if (!file || !path || !*path) return false;
    struct stat opened, named;
    if (fstat(file->fd, &opened) != 0 || !isClosedToOthers(file->fd, path)) return false;
    if (lstat(path, &named) != 0 || !directoryIsClosedToOthers(path)) return false;
    if (!S_ISLNK(named.st_mode)) return named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
    // Through a link: the link, every link after it and the folder of the
    // file it names must be as closed as the file.
    char target[PATH_MAX];
    struct stat reached;
    return followOwnLinks(path, target) && directoryIsClosedToOthers(target) && stat(target, &reached) == 0 &&
           reached.st_dev == opened.st_dev && reached.st_ino == opened.st_ino;
}

bool platformSaveTarget(const char* path, char* out, size_t size) {
    char target[PATH_MAX];
    return path && *path && followOwnLinks(path, target) && copyName(out, size, target);
}

PlatformFile* platformCreateTemporaryFile(const char* target, char* name, size_t size) {
    char directory[PATH_MAX];
    if (!target || !*target || !name || !directoryOf(target, directory, sizeof directory)) return nullptr;
    struct stat existing;
    bool hasMode = stat(target, &existing) == 0 && S_ISREG(existing.st_mode);
    return openPooled(FileOpen::Create, [&] {
        for (int attempt = 0; attempt < 16; ++attempt) {
            char letters[7];
            if (!randomLetters(letters)) continue;
            if (snprintf(name, size, "%s/~cw%s", directory, letters) >= static_cast<int>(size)) break;
            int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644);
            if (fd < 0 && errno == EEXIST) continue;
            if (fd < 0) return -1;
            // A file of mode 0600 stays one, and no default ACL of the
            // folder gives it to anyone else.
            if (!keepOnlyMode(fd)) {
                close(fd);
                unlink(name);
                return -1;
            }
            if (hasMode) fchmod(fd, existing.st_mode & 07777);
            return fd;
        }
        return -1;
    });
}

bool platformReplaceFile(const char* source, const char* target) {
    if (!source || !target || !*source || !*target) return false;
    char directory[PATH_MAX];
    // Everything that can fail before the rename is tried first, so a
    // failure leaves both files as they were. A read-only file is not
    // replaced, as on Windows.
    struct stat existing;
    if (lstat(target, &existing) == 0 && S_ISREG(existing.st_mode) && !(existing.st_mode & S_IWUSR)) return false;
    if (!directoryOf(target, directory, sizeof directory)) return false;
    if (!syncPath(source, 0)) return false;
    if (rename(source, target) != 0) return false;
    // The rename is done; once it is on the disk the call keeps its word.
    return syncPath(directory, O_DIRECTORY);
}

void platformDeleteFile(const char* path) {
    if (path && *path) unlink(path);
}

PlatformFile* platformLockFile(const char* path, bool exclusive) {
    if (!path || !*path) return nullptr;
    PlatformFile* lock = openPooled(FileOpen::Read, [&] {
        // A reader makes no lock file: with none there, no save is under way.
        int fd = exclusive ? openPlainFile(path, O_RDWR | O_CREAT | O_NOFOLLOW, true) : -1;
        // A lock file of another user's that we may only read locks as well.
        return fd >= 0 ? fd : openPlainFile(path, O_RDONLY | O_NOFOLLOW, true);
    });
    if (!lock) return nullptr;
    long long deadline = monotonicMs() + kLockWaitMs;
    int operation = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    while (flock(lock->fd, operation) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || monotonicMs() >= deadline) {
            platformCloseFile(lock);
            return nullptr;
        }
        struct timespec pause = {0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    return lock;
}

void platformUnlockFile(PlatformFile* lock) {
    if (!lock) return;
    flock(lock->fd, LOCK_UN);
    platformCloseFile(lock);
}

void platformLogProblem(const char* text) {
    if (!text) return;
    // One write, so that the line is never split by another writer's.
    struct iovec parts[2] = {{const_cast<char*>(text), strlen(text)}, {const_cast<char*>("\n"), 1}};
    ssize_t ignored = writev(STDERR_FILENO, parts, 2);
    (void)ignored;
}
