// A POSIX access ACL as the kernel hands it over in the extended attribute
// system.posix_acl_access: a version, then entries of tag, permissions and
// id, little-endian. Read directly, so the program needs no ACL library.
// Plain code with no platform calls.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint16_t {
    kAclUserObj = 0x01,
    kAclUser = 0x02,
    kAclGroupObj = 0x04,
    kAclGroup = 0x08,
    kAclMask = 0x10,
    kAclOther = 0x20,
};
constexpr unsigned kAclWrite = 2;

struct AclEntry {
    uint16_t tag;
    uint16_t permissions;  // read 4, write 2, execute 1
    uint32_t id;           // the user or group of a named entry
};

struct AclView {
    const unsigned char* bytes;
    size_t count;  // entries

    AclEntry entry(size_t i) const;
    // The most a named entry or the owning group is granted: the mask
    // entry's permissions, all when there is none.
    unsigned mask() const;
    // Whether a user or a group is named.
    bool namesOthers() const;
    // The permission bits the entries of the owner, the owning group (as
    // far as the mask lets it) and others come to.
    unsigned baseMode() const;
};

// False when `bytes` is no ACL of the version the kernel writes, or not a
// whole number of entries.
bool readAclValue(const unsigned char* bytes, size_t size, AclView* out);
