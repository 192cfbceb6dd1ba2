#include "net/FramePool.h"

#include <cstring>

FramePool::FramePool()
{
    memset(m_slots, 0, sizeof(m_slots));
}

int FramePool::PushFrame(const unsigned char* bytes, int size)
{
    if (size <= 0 || size > kMaxFrameSize)
        return kPushTooBig;
    for (FrameSlot& slot : m_slots) {
        if (slot.inUse)
            continue;
        memcpy(slot.data, bytes, static_cast<size_t>(size));
        slot.size = size;
        slot.inUse = 1;
        return kPushStored;
    }
    return kPushPoolFull;
}

unsigned char* FramePool::PopFrame(int* size)
{
    for (FrameSlot& slot : m_slots) {
        if (!slot.inUse)
            continue;
        slot.inUse = 0;
        if (size)
            *size = slot.size;
        return slot.data;
    }
    return nullptr;
}

int FramePool::UsedSlots() const
{
    int used = 0;
    for (const FrameSlot& slot : m_slots)
        used += slot.inUse ? 1 : 0;
    return used;
}
