// Who besides the user can write a file or folder, as the kernel decides
// it: the mode, the owning group, and the entries of a POSIX ACL. Only
// platform/linux/ and its tests include this.
#pragma once

#include <sys/types.h>

#include <cstddef>

// The user running the program, or root.
bool isTrustedOwner(uid_t uid);

// Whether `gid` is the private group of the account `owner`: named after
// it, its primary group, no member listed but it, and no other account's
// primary group.
bool isPrivateGroup(gid_t gid, uid_t owner);

// Whether what `fd` (when not -1) or else `path` (links followed) names
// belongs to the user or root and no one else can write it: not others,
// not a group other than the owner's private one, not a user or group an
// ACL entry names (after the ACL's mask). An ACL that cannot be read
// counts as open. A file system that keeps no owners (FAT, exFAT) is not
// held against it.
bool isClosedToOthers(int fd, const char* path);

// The first of `path` and the folders above it, up to /, that is not
// closed to others, or that cannot be looked at, into `out` (cut to
// `size`); false when every one is closed. Links on the way are checked
// where they lie and where they lead.
bool findOpenToOthers(const char* path, char* out, size_t size);

// For a file the program has just made: drops the named users and groups
// a default ACL of its folder gave it, so it carries just its mode; the
// owner, the group and others keep what they had. Nothing to do on a file
// system without ACLs; false when the ACL could not be dropped.
bool keepOnlyMode(int fd);
