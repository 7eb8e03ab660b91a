// Any bytes as an ACL value: the reader takes only whole entries of the
// bytes given, and what it makes of them stays within the permission bits.
#include <cstdlib>

#include "platform/linux/acl_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AclView acl;
    if (!readAclValue(data, size, &acl)) return 0;
    if (4 + acl.count * 8 != size) abort();
    size_t named = 0;
    for (size_t i = 0; i < acl.count; ++i) {
        const AclEntry entry = acl.entry(i);
        if (entry.tag == kAclUser || entry.tag == kAclGroup) ++named;
    }
    if (acl.namesOthers() != (named > 0) || acl.mask() > 7 || acl.baseMode() > 0777) abort();
    return 0;
}
