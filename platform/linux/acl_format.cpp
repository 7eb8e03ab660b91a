#include "platform/linux/acl_format.h"

namespace {

constexpr uint32_t kVersion = 2;
constexpr size_t kHeaderSize = 4, kEntrySize = 8;

uint32_t littleEndian(const unsigned char* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

}  // namespace

AclEntry AclView::entry(size_t i) const {
    const unsigned char* p = bytes + kHeaderSize + i * kEntrySize;
    return AclEntry{static_cast<uint16_t>(littleEndian(p, 2)), static_cast<uint16_t>(littleEndian(p + 2, 2)),
                    littleEndian(p + 4, 4)};
}

unsigned AclView::mask() const {
    for (size_t i = 0; i < count; ++i)
        if (entry(i).tag == kAclMask) return entry(i).permissions & 7;
    return 7;
}

bool AclView::namesOthers() const {
    for (size_t i = 0; i < count; ++i)
        if (entry(i).tag == kAclUser || entry(i).tag == kAclGroup) return true;
    return false;
}

unsigned AclView::baseMode() const {
    unsigned owner = 0, group = 0, others = 0;
    for (size_t i = 0; i < count; ++i) {
        const AclEntry e = entry(i);
        if (e.tag == kAclUserObj) owner = e.permissions & 7;
        if (e.tag == kAclGroupObj) group = e.permissions & 7;
        if (e.tag == kAclOther) others = e.permissions & 7;
    }
    return owner << 6 | (group & mask()) << 3 | others;
}

bool readAclValue(const unsigned char* bytes, size_t size, AclView* out) {
    if (size < kHeaderSize || (size - kHeaderSize) % kEntrySize != 0) return false;
    if (littleEndian(bytes, 4) != kVersion) return false;
    *out = AclView{bytes, (size - kHeaderSize) / kEntrySize};
    return true;
}
