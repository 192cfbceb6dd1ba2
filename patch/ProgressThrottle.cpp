#include "patch/ProgressThrottle.h"

ProgressThrottle::ProgressThrottle() : m_captionKnown(false), m_bars(), m_barCount(0)
{
}

int ProgressThrottle::CaptionChanged(const char* text)
{
    const char* value = text ? text : "";
    if (m_captionKnown && m_caption == value)
        return 0;
    m_caption = value;
    m_captionKnown = true;
    return 1;
}

int ProgressThrottle::BarChanged(int bar, int pos)
{
    for (size_t i = 0; i < m_barCount; ++i) {
        BarMemory& memory = m_bars[i];
        if (memory.id != bar)
            continue;
        if (memory.known && memory.pos == pos)
            return 0;
        memory.pos = pos;
        memory.known = true;
        return 1;
    }
    if (m_barCount < kMaxBars)
        m_bars[m_barCount++] = BarMemory{bar, pos, true};
    return 1;
}

void ProgressThrottle::Forget()
{
    ForgetCaption();
    for (size_t i = 0; i < m_barCount; ++i)
        m_bars[i].known = false;
}

void ProgressThrottle::ForgetBar(int bar)
{
    for (size_t i = 0; i < m_barCount; ++i) {
        if (m_bars[i].id == bar)
            m_bars[i].known = false;
    }
}

void ProgressThrottle::ForgetCaption()
{
    m_captionKnown = false;
    m_caption.clear();
}
