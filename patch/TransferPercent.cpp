#include "patch/TransferPercent.h"

int TransferPercent(uint32_t received, uint32_t size, int scale)
{
    if (size == 0)
        return 0;
    uint64_t value = static_cast<uint64_t>(received) * static_cast<uint64_t>(scale) / size;
    return value > static_cast<uint64_t>(scale) ? scale : static_cast<int>(value);
}
