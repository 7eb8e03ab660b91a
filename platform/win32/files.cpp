// Files opened for one operation: the log is opened for every line, so the
// records come from a small pool rather than the heap.
#include "platform/record_pool.h"
#include "platform/win32/win32_internal.h"

struct PlatformFile {
    HANDLE handle;
    FileOpen mode;
    bool failed;
};

namespace {

// The trace file, the log, the settings file or script and a temporary
// are the most ever open at once; more fail to open, as a locked file does.
RecordPool<PlatformFile, 8> pool;

constexpr DWORD kLargestTransfer = 1u << 30;


}  // namespace

PlatformFile* platformOpenFile(const char* path, FileOpen mode) {
    if (!path || !*path) return nullptr;
    DWORD access = GENERIC_READ;
    // Others may read the log and the trace while they are written.
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
    case FileOpen::Read:
        share |= FILE_SHARE_DELETE;
        break;
    case FileOpen::Create:
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = CREATE_ALWAYS;
        break;
    case FileOpen::Append:
        // Without FILE_WRITE_DATA every write lands at the end, whoever else appends.
        access = FILE_APPEND_DATA | SYNCHRONIZE;
        disposition = OPEN_ALWAYS;
        break;
    }
    PlatformFile* file = pool.acquire(PlatformFile{INVALID_HANDLE_VALUE, mode, false});
    if (!file) return nullptr;
    file->handle = CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file->handle == INVALID_HANDLE_VALUE) {
        pool.release(file);
        return nullptr;
    }
    return file;
}

size_t platformReadFile(PlatformFile* file, char* buf, size_t size) {
    if (!file || !buf || size == 0) return 0;
    DWORD wanted = size < kLargestTransfer ? static_cast<DWORD>(size) : kLargestTransfer;
    DWORD got = 0;
    if (!ReadFile(file->handle, buf, wanted, &got, nullptr)) return 0;
    return got;
}

bool platformWriteFile(PlatformFile* file, const char* data, size_t size) {
    if (!file) return false;
    if (file->mode == FileOpen::Read || (!data && size > 0)) {
        file->failed = true;
        return false;
    }
    while (size > 0) {
        DWORD chunk = size < kLargestTransfer ? static_cast<DWORD>(size) : kLargestTransfer;
        DWORD written = 0;
        if (!WriteFile(file->handle, data, chunk, &written, nullptr) || written == 0) {
            file->failed = true;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool platformCloseFile(PlatformFile* file) {
    if (!file) return false;
    bool ok = !file->failed;
    // A settings file or a file about to replace one must be on the disk
    // before the rename; a failure here is a lost write like any other.
    if (file->mode == FileOpen::Create && ok && !FlushFileBuffers(file->handle)) ok = false;
    if (!CloseHandle(file->handle)) ok = false;
    pool.release(file);
    return ok;
}

bool platformReplaceFile(const char* source, const char* target) {
    if (!source || !target || !*source || !*target) return false;
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void platformDeleteFile(const char* path) {
    if (path && *path) DeleteFileA(path);
}
