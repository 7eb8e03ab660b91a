// A few records of one kind handed out and taken back without the heap: the
// files a platform layer opens for one operation each (the log is opened for
// every line). Both real platform layers keep their open files here.
#pragma once

#include <cstddef>

template <typename Record, size_t Count>
class RecordPool {
public:
    // A free record, set to `fresh`; null when all are taken.
    Record* acquire(const Record& fresh) {
        for (Slot& slot : slots_)
            if (!slot.inUse) {
                slot = Slot{fresh, true};
                return &slot.record;
            }
        return nullptr;
    }

    void release(Record* record) {
        for (Slot& slot : slots_)
            if (&slot.record == record) slot.inUse = false;
    }

private:
    struct Slot {
        Record record;
        bool inUse;
    };
    Slot slots_[Count]{};
};
