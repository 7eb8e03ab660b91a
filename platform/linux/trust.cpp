#include "platform/linux/trust.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/acl_format.h"

namespace {

// File systems that keep no owners report the mounting user for every file.
constexpr long kMsdosMagic = 0x4d44;
constexpr long kExfatMagic = 0x2011BAB0;

constexpr char kAccessAcl[] = "system.posix_acl_access";
// Far more entries than any file system stores; a longer ACL is not read
// and counts as open.
constexpr size_t kAclMaxSize = 4 + 1024 * 8;

struct Acl {
    unsigned char bytes[kAclMaxSize];
    AclView view;
};

enum class AclRead { None, Read, Failed };

// The access ACL of `fd`, or of `path` when fd is -1. None: the file has
// only its mode, or its file system keeps no ACLs.
AclRead readAcl(int fd, const char* path, Acl& acl) {
    ssize_t length = fd >= 0 ? fgetxattr(fd, kAccessAcl, acl.bytes, sizeof acl.bytes)
                             : getxattr(path, kAccessAcl, acl.bytes, sizeof acl.bytes);
    if (length < 0) return errno == ENODATA || errno == ENOTSUP ? AclRead::None : AclRead::Failed;
    return readAclValue(acl.bytes, static_cast<size_t>(length), &acl.view) ? AclRead::Read : AclRead::Failed;
}

bool recordsNoOwners(const struct statfs& fs) {
    return static_cast<long>(fs.f_type) == kMsdosMagic || static_cast<long>(fs.f_type) == kExfatMagic;
}

// `useradd -g GROUP OTHER` lists OTHER nowhere in the group file, yet
// OTHER writes what GROUP may write. A database that cannot be read to
// its end counts as holding such an account.
bool anotherAccountHasPrimaryGroup(gid_t gid, uid_t owner) {
    char buffer[4096];
    struct passwd account, *next = nullptr;
    bool found = false;
    int error = 0;
    setpwent();
    while (!found && (error = getpwent_r(&account, buffer, sizeof buffer, &next)) == 0 && next)
        found = account.pw_gid == gid && account.pw_uid != owner;
    endpwent();
    return found || (error != 0 && error != ENOENT);
}

// Whether a holder of these permissions (after the mask) may write.
bool grantsWrite(unsigned permissions, unsigned mask) { return (permissions & mask & kAclWrite) != 0; }

bool aclLetsOthersWrite(const AclView& acl, const struct stat& info) {
    const unsigned mask = acl.mask();
    for (size_t i = 0; i < acl.count; ++i) {
        const AclEntry entry = acl.entry(i);
        switch (entry.tag) {
        case kAclUser:
            if (grantsWrite(entry.permissions, mask) && !isTrustedOwner(entry.id)) return true;
            break;
        case kAclGroupObj:
            if (grantsWrite(entry.permissions, mask) && !isPrivateGroup(info.st_gid, info.st_uid)) return true;
            break;
        case kAclGroup:
            if (grantsWrite(entry.permissions, mask) && !isPrivateGroup(entry.id, info.st_uid)) return true;
            break;
        case kAclOther:
            if (entry.permissions & kAclWrite) return true;
            break;
        default:
            break;
        }
    }
    return false;
}

// With an ACL the mode's group bits are its mask, not the owning group's
// permissions: the entries say who may write.
bool othersMayWrite(const struct stat& info, int fd, const char* path) {
    if (info.st_mode & S_IWOTH) return true;
    Acl acl;
    switch (readAcl(fd, path, acl)) {
    case AclRead::None:
        return (info.st_mode & S_IWGRP) && !isPrivateGroup(info.st_gid, info.st_uid);
    case AclRead::Read:
        return aclLetsOthersWrite(acl.view, info);
    case AclRead::Failed:
        return true;
    }
    return true;
}

// Names the place found; true, as it was found.
bool found(char* out, size_t size, const char* path) {
    if (size > 0) snprintf(out, size, "%s", path);
    return true;
}

// `path`, then each folder above it up to / (or up to its first name when
// it is relative, which the caller resolves as well).
bool openOnTheWay(const char* path, char* out, size_t size) {
    char at[PATH_MAX];
    if (strlen(path) >= sizeof at) return found(out, size, path);
    memcpy(at, path, strlen(path) + 1);
    for (;;) {
        if (!isClosedToOthers(-1, at)) return found(out, size, at);
        char* slash = strrchr(at, '/');
        if (!slash || (slash == at && at[1] == '\0')) return false;
        slash[slash == at ? 1 : 0] = '\0';
    }
}

}  // namespace

bool isTrustedOwner(uid_t uid) { return uid == geteuid() || uid == 0; }

bool isPrivateGroup(gid_t gid, uid_t owner) {
    char userBuffer[4096], groupBuffer[16384];
    struct passwd user, *userFound = nullptr;
    struct group group, *groupFound = nullptr;
    if (getpwuid_r(owner, &user, userBuffer, sizeof userBuffer, &userFound) != 0 || !userFound) return false;
    if (getgrgid_r(gid, &group, groupBuffer, sizeof groupBuffer, &groupFound) != 0 || !groupFound) return false;
    if (user.pw_gid != gid || strcmp(group.gr_name, user.pw_name) != 0) return false;
    for (char** member = group.gr_mem; *member; ++member)
        if (strcmp(*member, user.pw_name) != 0) return false;
    return !anotherAccountHasPrimaryGroup(gid, owner);
}

bool isClosedToOthers(int fd, const char* path) {
    struct stat info;
    struct statfs fs;
    const bool seen = fd >= 0 ? fstat(fd, &info) == 0 && fstatfs(fd, &fs) == 0
                              : path && stat(path, &info) == 0 && statfs(path, &fs) == 0;
    if (!seen) return false;
    if (recordsNoOwners(fs)) return true;
    return isTrustedOwner(info.st_uid) && !othersMayWrite(info, fd, path);
}

bool findOpenToOthers(const char* path, char* out, size_t size) {
    if (!path || !*path) return found(out, size, "");
    if (openOnTheWay(path, out, size)) return true;
    // Where its links lead: each folder there could be renamed away too.
    char canonical[PATH_MAX];
    if (!realpath(path, canonical)) return found(out, size, path);
    return strcmp(canonical, path) != 0 && openOnTheWay(canonical, out, size);
}

bool keepOnlyMode(int fd) {
    Acl acl;
    const AclRead read = readAcl(fd, nullptr, acl);
    if (read != AclRead::Read) return read == AclRead::None;
    if (!acl.view.namesOthers()) return true;
    struct stat info;
    if (fstat(fd, &info) != 0) return false;
    const mode_t mode = (info.st_mode & 07000) | acl.view.baseMode();
    return fremovexattr(fd, kAccessAcl) == 0 && fchmod(fd, mode) == 0;
}
