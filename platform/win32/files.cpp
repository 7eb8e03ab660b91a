// Files opened for one operation: the log is opened for every line, so the
// records come from a small pool rather than the heap.
#include <aclapi.h>
#include <ntsecapi.h>

#include <cstdio>

#include "platform/record_pool.h"
#include "platform/temporary_name.h"
#include "platform/win32/win32_internal.h"

struct PlatformFile {
    HANDLE handle;
    FileOpen mode;
    bool failed;
};

namespace {

// The trace file, the log, the settings file or script, a temporary and
// the settings lock are the most ever open at once; more fail to open, as
// a locked file does.
RecordPool<PlatformFile, 8> pool;

constexpr DWORD kLargestTransfer = 1u << 30;
constexpr ULONGLONG kLockWaitMs = 5000;

// A record first, so that a full pool never leaves a file truncated.
template <typename Open>
PlatformFile* openPooled(FileOpen mode, Open open) {
    PlatformFile* file = pool.acquire(PlatformFile{INVALID_HANDLE_VALUE, mode, false});
    if (!file) return nullptr;
    file->handle = open();
    if (file->handle != INVALID_HANDLE_VALUE) return file;
    pool.release(file);
    return nullptr;
}

// The user the program runs as, read once from its token.
PSID currentUser() {
    static union {
        TOKEN_USER user;
        BYTE bytes[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    } token;
    static bool read;
    if (!read) {
        HANDLE process;
        DWORD size = 0;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &process)) return nullptr;
        read = GetTokenInformation(process, TokenUser, &token, sizeof token, &size) != FALSE;
        CloseHandle(process);
    }
    return read ? token.user.User.Sid : nullptr;
}

// A volume that keeps no security (FAT, exFAT) has no owner or permissions
// to hold against anyone.
bool keepsNoSecurity(HANDLE handle) {
    DWORD flags = 0;
    return GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           !(flags & FILE_PERSISTENT_ACLS);
}

// Owned by the user, the Administrators or SYSTEM.
bool ownerIsTrusted(HANDLE handle) {
    if (keepsNoSecurity(handle)) return true;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    bool trusted = ownerIsTrustedSid(owner, currentUser());
    LocalFree(descriptor);
    return trusted;
}

// Owned as above, and no one else may change it.
bool isClosedToOthers(HANDLE handle) {
    if (keepsNoSecurity(handle)) return true;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool closed = securityIsClosedToOthers(descriptor, currentUser());
    LocalFree(descriptor);
    return closed;
}

// A link (any reparse point) at `path` made by someone else is never
// followed for writing, and what it leads to is not believed.
bool linkIsTrusted(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    HANDLE link = CreateFileA(path, READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (link == INVALID_HANDLE_VALUE) return false;
    bool trusted = ownerIsTrusted(link);
    CloseHandle(link);
    return trusted;
}

HANDLE openHandle(const char* path, FileOpen mode) {
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
    if (mode != FileOpen::Read && !linkIsTrusted(path)) return INVALID_HANDLE_VALUE;
    HANDLE handle = CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    // Only a file on a disk is read: not a pipe, a console or a device.
    if (handle != INVALID_HANDLE_VALUE && mode == FileOpen::Read && GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

// The length of the directory part of `path`, its last separator included;
// a trail byte of a two-byte character is never taken for one.
size_t directoryLength(const char* path) {
    size_t length = 0;
    for (size_t i = 0; path[i]; ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1]) {
            ++i;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') length = i + 1;
    }
    return length;
}

// The path a handle reached, in the system code page without the "\\?\"
// prefix; false when it has no such form or does not fit.
bool finalPathOf(HANDLE handle, char* out, size_t size) {
    wchar_t wide[MAX_PATH + 8];
    DWORD length = GetFinalPathNameByHandleW(handle, wide, MAX_PATH + 8, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= MAX_PATH + 8) return false;
    const wchar_t* plain = wide;
    if (wcsncmp(wide, L"\\\\?\\UNC\\", 8) == 0) {
        plain = wide + 6;  // "\\server\share" again
        wide[6] = L'\\';
    } else if (wcsncmp(wide, L"\\\\?\\", 4) == 0) {
        plain = wide + 4;
    }
    return narrowToCodePage(plain, out, size);
}

// The folder that holds `path` is closed to others; one whose name does
// not fit cannot be checked and is not believed.
bool folderIsClosedToOthers(const char* path) {
    char folder[MAX_PATH + 16];
    // A "." names the folder also after a bare drive or a root: "C:." and "C:\.".
    if (snprintf(folder, sizeof folder, "%.*s.", static_cast<int>(directoryLength(path)), path) >=
        static_cast<int>(sizeof folder))
        return false;
    HANDLE handle = CreateFileA(folder, READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool closed = isClosedToOthers(handle);
    CloseHandle(handle);
    return closed;
}

}  // namespace

PlatformFile* platformOpenFile(const char* path, FileOpen mode) {
    if (!path || !*path) return nullptr;
    return openPooled(mode, [&] { return openHandle(path, mode); });
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

bool platformIsFileTrusted(PlatformFile* file, const char* path) {
    if (!file || !path || !*path || !isClosedToOthers(file->handle) || !linkIsTrusted(path) ||
        !folderIsClosedToOthers(path))
        return false;
    // Through a link (Wine shows a Unix link as the file it names), the
    // folder of the file reached must be closed as well.
    char reached[MAX_PATH];
    return !finalPathOf(file->handle, reached, sizeof reached) || folderIsClosedToOthers(reached);
}

bool platformSaveTarget(const char* path, char* out, size_t size) {
    if (!path || !*path || !linkIsTrusted(path)) return false;
    // A link is followed to the file it names (Wine shows a Unix link as
    // that file, so every existing file is asked where it really is).
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    bool found = false;
    if (handle != INVALID_HANDLE_VALUE) {
        // Long names in place of short ones must leave room for a temporary.
        found = finalPathOf(handle, out, size) && strlen(out) + 12 < MAX_PATH;
        CloseHandle(handle);
    }
    if (found) return true;
    size_t length = strlen(path);
    if (length >= size) return false;
    memcpy(out, path, length + 1);
    return true;
}

PlatformFile* platformCreateTemporaryFile(const char* target, char* name, size_t size) {
    if (!target || !*target || !name) return nullptr;
    size_t directory = directoryLength(target);
    return openPooled(FileOpen::Create, [&] {
        for (int attempt = 0; attempt < 16; ++attempt) {
            BYTE bytes[6] = {};
            char letters[7];
            if (!RtlGenRandom(bytes, sizeof bytes)) return INVALID_HANDLE_VALUE;
            temporaryNameLetters(bytes, letters);
            if (snprintf(name, size, "%.*s~cw%s", static_cast<int>(directory), target, letters) >= static_cast<int>(size))
                return INVALID_HANDLE_VALUE;
            // CREATE_NEW: never an existing file, nor a link planted under the name.
            HANDLE handle = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                        nullptr);
            if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
        }
        return INVALID_HANDLE_VALUE;
    });
}

bool platformReplaceFile(const char* source, const char* target) {
    if (!source || !target || !*source || !*target) return false;
    // Windows refuses to replace a read-only file; Wine must too.
    DWORD attributes = GetFileAttributesA(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void platformDeleteFile(const char* path) {
    if (path && *path) DeleteFileA(path);
}

PlatformFile* platformLockFile(const char* path, bool exclusive) {
    if (!path || !*path || !linkIsTrusted(path)) return nullptr;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    PlatformFile* lock = openPooled(FileOpen::Read, [&] {
        // A reader makes no lock file: with none there, no save is under way.
        HANDLE handle = INVALID_HANDLE_VALUE;
        if (exclusive)
            handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
        // A lock file we may only read locks as well.
        if (handle == INVALID_HANDLE_VALUE)
            handle = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return handle;
    });
    if (!lock) return nullptr;
    ULONGLONG deadline = GetTickCount64() + kLockWaitMs;
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    OVERLAPPED at{};
    while (!LockFileEx(lock->handle, flags, 0, 1, 0, &at)) {
        if (GetLastError() != ERROR_LOCK_VIOLATION || GetTickCount64() >= deadline) {
            platformCloseFile(lock);
            return nullptr;
        }
        Sleep(10);
    }
    return lock;
}

void platformUnlockFile(PlatformFile* lock) {
    if (!lock) return;
    OVERLAPPED at{};
    UnlockFileEx(lock->handle, 0, 1, 0, &at);
    platformCloseFile(lock);
}

void platformLogProblem(const char* text) {
    if (text) OutputDebugStringA(text);
}
