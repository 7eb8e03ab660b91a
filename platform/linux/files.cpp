// Files opened for one operation: the log is opened for every line, so the
// records come from a small pool rather than the heap.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/record_pool.h"

struct PlatformFile {
    int fd;
    FileOpen mode;
    bool failed;
};

namespace {

// The trace file, the log, the settings file or script and a temporary
// are the most ever open at once; more fail to open.
RecordPool<PlatformFile, 8> pool;

constexpr size_t kLargestTransfer = 1u << 30;

// Opened without blocking, so that a FIFO named as the log cannot hang the
// monitor; only what behaves as a file is kept.
int openPlainFile(const char* path, int flags) {
    int fd = open(path, flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// The directory part of `path` ("." when it has none); false when it does not fit.
bool directoryOf(const char* path, char* out, size_t size) {
    const char* slash = strrchr(path, '/');
    if (!slash) {
        if (size < 2) return false;
        memcpy(out, ".", 2);
        return true;
    }
    size_t length = slash == path ? 1 : static_cast<size_t>(slash - path);
    if (length >= size) return false;
    memcpy(out, path, length);
    out[length] = '\0';
    return true;
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

}  // namespace

PlatformFile* platformOpenFile(const char* path, FileOpen mode) {
    if (!path || !*path) return nullptr;
    int flags = O_RDONLY;
    if (mode == FileOpen::Create) flags = O_WRONLY | O_CREAT | O_TRUNC;
    else if (mode == FileOpen::Append) flags = O_WRONLY | O_CREAT | O_APPEND;
    PlatformFile* file = pool.acquire(PlatformFile{-1, mode, false});
    if (!file) return nullptr;
    file->fd = openPlainFile(path, flags);
    if (file->fd < 0) {
        pool.release(file);
        return nullptr;
    }
    return file;
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

bool platformReplaceFile(const char* source, const char* target) {
    if (!source || !target || !*source || !*target) return false;
    char directory[PATH_MAX];
    // Everything that can fail before the rename is tried first, so a
    // failure leaves both files as they were.
    if (!directoryOf(target, directory, sizeof directory)) return false;
    if (!syncPath(source, 0)) return false;
    if (rename(source, target) != 0) return false;
    // The rename is done; once it is on the disk the call keeps its word.
    return syncPath(directory, O_DIRECTORY);
}

void platformDeleteFile(const char* path) {
    if (path && *path) unlink(path);
}
