#pragma once
// Remembers what the progress surfaces of the window last showed, so that a transfer
// loop that reports after every block redraws only what changed. Drawing the
// transfer caption costs a device context, a bitmap and a font each time; a loop of
// thousands of blocks moves the percentage only a hundred times.
//
// The caller asks before drawing: CaptionChanged(text) and BarChanged(bar, pos)
// return 1 (and remember the new value) when the surface must be drawn, 0 when it
// already shows exactly that. Forget() makes the next request of every surface draw
// again, e.g. after the window repainted its background over the caption or a bar's
// range was set anew.
#include <cstddef>
#include <string>

class ProgressThrottle {
public:
    enum { kMaxBars = 4 };

    ProgressThrottle();

    // 1 when text differs from the caption drawn last (or none was drawn yet).
    int CaptionChanged(const char* text);
    // 1 when pos differs from the position last set on the bar with this id. Bars
    // are told apart by any int id; beyond kMaxBars distinct ids every request of a
    // new id draws.
    int BarChanged(int bar, int pos);

    // The next request of every surface draws.
    void Forget();
    // The next request of this bar draws (its range was set, which may move it).
    void ForgetBar(int bar);
    // The next caption request draws.
    void ForgetCaption();

private:
    struct BarMemory {
        int id;
        int pos;
        bool known;
    };

    std::string m_caption;
    bool m_captionKnown;
    BarMemory m_bars[kMaxBars];
    size_t m_barCount;
};
