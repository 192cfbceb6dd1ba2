#pragma once
// Paces the redraws of a fast loop to a rate the eye can follow. Under Wine each
// repaint of a progress bar or the transfer caption is synchronous and costs close to
// a millisecond; a loop that moved the bar after every 2 KiB block spent more time
// painting than transferring, and even 25 redraws a second of the four progress
// surfaces took about 6% of a walk of small files. The loop asks Due() with the
// current tick count before it draws and always draws its final state.
#include <cstdint>

class RedrawPacer {
public:
    enum { kDefaultIntervalMs = 100 };   // 10 redraws a second

    explicit RedrawPacer(uint32_t intervalMs = kDefaultIntervalMs);

    // 1 on the first call and whenever at least the interval has passed since the
    // last call that returned 1; 0 otherwise. Tick counts may wrap around.
    int Due(uint32_t nowMs);

private:
    uint32_t m_intervalMs;
    uint32_t m_lastMs;
    bool m_started;
};
