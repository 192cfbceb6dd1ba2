#pragma once
// The share of a transfer that has arrived, for the progress bar and the caption.
#include <cstdint>

// received * scale / size without overflow, never above scale; 0 for size 0.
int TransferPercent(uint32_t received, uint32_t size, int scale);
