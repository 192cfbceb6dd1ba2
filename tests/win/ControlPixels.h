#pragma once
// Every pixel of a control's client area as it is on screen, row by row: window tests
// compare two readings to see that a repaint leaves the control as it was.
#include <windows.h>

#include <vector>

inline std::vector<COLORREF> ControlPixels(HWND control)
{
    RECT r;
    GetClientRect(control, &r);
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(control);
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(control, dc);
    return pixels;
}
