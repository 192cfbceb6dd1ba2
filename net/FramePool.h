#pragma once
// Complete frames waiting for dispatch: a fixed pool of slots, no allocation.
#include "net/FrameFormat.h"

struct FrameSlot {
    int inUse;
    int size;
    unsigned char data[kMaxFrameSize];
};

enum PushResult {
    kPushStored = 0,
    kPushPoolFull = 1,   // every slot is in use; the frame is dropped
    kPushTooBig = 2,     // larger than a slot (or not a frame at all); dropped
};

class FramePool {
public:
    FramePool();
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;

    // Copies a frame into the lowest-numbered free slot; returns a PushResult.
    int PushFrame(const unsigned char* bytes, int size);

    // Frees the lowest-numbered slot in use and returns its bytes (and their count
    // through size when it is not null), or null when no slot is in use. The bytes
    // stay valid until the next PushFrame.
    unsigned char* PopFrame(int* size = nullptr);

    int UsedSlots() const;

private:
    FrameSlot m_slots[kFramePoolSlots];
};
