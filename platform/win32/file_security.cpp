// Who may change a file or a folder, read from its security descriptor.
#include <cstddef>

#include "platform/win32/win32_internal.h"

namespace {

// What lets someone change a file's bytes, or which files a folder holds:
// write or append (in a folder: add a file or a folder), delete what a
// folder holds, and change the permissions or the owner, which leads to
// the rest.
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER;

ACCESS_MASK changeRightsOf(ACCESS_MASK mask) {
    if (mask & (GENERIC_WRITE | GENERIC_ALL)) mask |= kChangeRights;
    return mask & kChangeRights;
}

// NT SERVICE\TrustedInstaller, which owns the system's own files.
bool isTrustedInstaller(PSID sid) {
    static const DWORD kParts[] = {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464};
    constexpr SID_IDENTIFIER_AUTHORITY kNt = SECURITY_NT_AUTHORITY;
    if (*GetSidSubAuthorityCount(sid) != 6 || memcmp(GetSidIdentifierAuthority(sid), &kNt, sizeof kNt) != 0)
        return false;
    for (DWORD i = 0; i < 6; ++i)
        if (*GetSidSubAuthority(sid, i) != kParts[i]) return false;
    return true;
}

// CREATOR OWNER and CREATOR GROUP only stand in for whoever creates an
// object below; no one's token holds them, so they grant nothing here.
// OWNER RIGHTS is the owner.
bool mayChange(PSID sid, PSID owner, PSID user) {
    return !((owner && EqualSid(sid, owner)) || (user && EqualSid(sid, user)) ||
             IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid) ||
             isTrustedInstaller(sid) || IsWellKnownSid(sid, WinCreatorOwnerSid) ||
             IsWellKnownSid(sid, WinCreatorGroupSid) || IsWellKnownSid(sid, WinCreatorOwnerRightsSid));
}

enum class AceKind { Other, Allow, Deny };

struct AceRights {
    AceKind kind;
    ACCESS_MASK mask;
    PSID sid;
};

// The kind, rights and SID of an entry in effect on the object itself;
// entries only handed down to children and conditional denials are Other.
// An entry whose SID does not fit it has no SID and every right.
AceRights rightsOf(const ACE_HEADER* ace) {
    AceRights none{AceKind::Other, 0, nullptr};
    if (ace->AceFlags & INHERIT_ONLY_ACE) return none;
    AceKind kind = AceKind::Other;
    DWORD sidAt = offsetof(ACCESS_ALLOWED_ACE, SidStart);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(ace);
    switch (ace->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        kind = AceKind::Allow;
        break;
    case ACCESS_DENIED_ACE_TYPE:
        kind = AceKind::Deny;
        break;
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE: {
        kind = AceKind::Allow;
        sidAt = offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType);
        if (ace->AceSize < sidAt) return {kind, kChangeRights, nullptr};
        DWORD flags;
        memcpy(&flags, bytes + offsetof(ACCESS_ALLOWED_OBJECT_ACE, Flags), sizeof flags);
        if (flags & ACE_OBJECT_TYPE_PRESENT) sidAt += sizeof(GUID);
        if (flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) sidAt += sizeof(GUID);
        break;
    }
    default:
        return none;
    }
    // The SID's fixed part first, then all of it, within the entry.
    constexpr DWORD kSidHead = offsetof(SID, SubAuthority);
    if (ace->AceSize < sidAt + kSidHead) return {kind, kChangeRights, nullptr};
    PSID sid = const_cast<BYTE*>(bytes + sidAt);
    if (!IsValidSid(sid) || GetLengthSid(sid) > ace->AceSize - sidAt) return {kind, kChangeRights, nullptr};
    ACCESS_MASK mask;
    memcpy(&mask, bytes + offsetof(ACCESS_ALLOWED_ACE, Mask), sizeof mask);
    return {kind, changeRightsOf(mask), sid};
}

// The entry at `offset` in the list, stepping `offset` past it; null when
// the list ends early or an entry does not fit it.
const ACE_HEADER* nextAce(const ACL* dacl, DWORD& offset) {
    if (offset + sizeof(ACE_HEADER) > dacl->AclSize) return nullptr;
    const ACE_HEADER* ace = reinterpret_cast<const ACE_HEADER*>(reinterpret_cast<const BYTE*>(dacl) + offset);
    if (ace->AceSize < sizeof(ACE_HEADER) || offset + ace->AceSize > dacl->AclSize) return nullptr;
    offset += ace->AceSize;
    return ace;
}

// Rights that the first `count` entries deny to `sid` (or to everyone): an
// access check stops at the first entry that decides a right, so a denial
// after an allowance takes nothing back.
ACCESS_MASK deniedBefore(const ACL* dacl, DWORD count, PSID sid) {
    ACCESS_MASK denied = 0;
    DWORD offset = sizeof(ACL);
    for (DWORD i = 0; i < count; ++i) {
        const ACE_HEADER* ace = nextAce(dacl, offset);
        if (!ace) break;
        AceRights rights = rightsOf(ace);
        if (rights.kind == AceKind::Deny && rights.sid &&
            (EqualSid(rights.sid, sid) || IsWellKnownSid(rights.sid, WinWorldSid)))
            denied |= rights.mask;
    }
    return denied;
}

}  // namespace

bool ownerIsTrustedSid(PSID owner, PSID user) {
    return owner && ((user && EqualSid(owner, user)) || IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                     IsWellKnownSid(owner, WinLocalSystemSid));
}

bool daclLetsOthersChange(const ACL* dacl, PSID owner, PSID user) {
    if (!dacl) return true;  // no DACL: everyone may do everything
    DWORD offset = sizeof(ACL);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        const ACE_HEADER* ace = nextAce(dacl, offset);
        if (!ace) return true;  // a list that cannot be read proves nothing
        AceRights rights = rightsOf(ace);
        if (rights.kind != AceKind::Allow || rights.mask == 0) continue;
        if (!rights.sid) return true;
        if (!mayChange(rights.sid, owner, user)) continue;
        if (rights.mask & ~deniedBefore(dacl, i, rights.sid)) return true;
    }
    return false;
}

bool securityIsClosedToOthers(PSECURITY_DESCRIPTOR descriptor, PSID user) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    ACL* dacl = nullptr;
    if (!descriptor || !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return false;
    return ownerIsTrustedSid(owner, user) && !daclLetsOthersChange(present ? dacl : nullptr, owner, user);
}
