#include "patch/RedrawPacer.h"

RedrawPacer::RedrawPacer(uint32_t intervalMs) : m_intervalMs(intervalMs), m_lastMs(0), m_started(false)
{
}

int RedrawPacer::Due(uint32_t nowMs)
{
    // Unsigned subtraction measures the time across a wrap of the tick counter.
    if (m_started && nowMs - m_lastMs < m_intervalMs)
        return 0;
    m_started = true;
    m_lastMs = nowMs;
    return 1;
}
