#include "patch/win/TransferCaption.h"

#include <string>

#include "framework/GdiObject.h"
#include "framework/Text.h"

namespace {

const wchar_t kStripClass[] = L"ZrTransferCaption";
// The dialog's Korean face name, "Gulim" in Hangul.
const wchar_t kCaptionFace[] = L"\uAD74\uB9BC";

HFONT CreateCaptionFont()
{
    return CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, kCaptionFace);
}

std::wstring StripText(HWND strip)
{
    int n = GetWindowTextLengthW(strip);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(strip, &text[0], n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

// Lays the text out in a 17-row bitmap on the strip's background and copies its top
// 16 rows to the strip.
void PaintStrip(HWND strip, HDC dc)
{
    ScopedMemoryDc memoryDc(CreateCompatibleDC(dc));
    if (!memoryDc.IsValid())
        return;
    CBitmap bitmap;
    bitmap.Reset(CreateCompatibleBitmap(dc, kCaptionWidth, kCaptionBitmapHeight));
    if (!bitmap.IsValid())
        return;
    ScopedSelect selectBitmap(memoryDc, bitmap);
    CBrush brush;
    brush.CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(strip, GWLP_USERDATA)));
    ScopedSelect selectBrush(memoryDc, brush);
    PatBlt(memoryDc, 0, 0, kCaptionWidth, kCaptionBitmapHeight, PATCOPY);

    CFont font;
    font.Reset(CreateCaptionFont());
    ScopedSelect selectFont(memoryDc, font);
    SetBkMode(memoryDc, TRANSPARENT);
    std::wstring text = StripText(strip);
    RECT area = {0, 0, kCaptionWidth, kCaptionBitmapHeight};
    DrawTextW(memoryDc, text.c_str(), static_cast<int>(text.size()), &area, DT_CENTER);
    BitBlt(dc, 0, 0, kCaptionWidth, kCaptionHeight, memoryDc, 0, 0, SRCCOPY);
}

LRESULT CALLBACK StripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(strip, &ps);
        if (dc)
            PaintStrip(strip, dc);
        EndPaint(strip, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;   // the paint covers the whole strip
    case WM_NCHITTEST:
        return HTTRANSPARENT;   // a press on it drags the dialog like one on the counters
    default:
        return DefWindowProcW(strip, message, wParam, lParam);
    }
}

HWND FindOrCreateStrip(HWND dialog)
{
    HWND strip = GetDlgItem(dialog, kCaptionControlId);
    if (strip)
        return strip;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    if (!GetClassInfoW(instance, kStripClass, &wc)) {
        wc.lpfnWndProc = StripProc;
        wc.hInstance = instance;
        wc.lpszClassName = kStripClass;
        if (!RegisterClassW(&wc))
            return nullptr;
    }
    strip = CreateWindowExW(0, kStripClass, L"", WS_CHILD | WS_VISIBLE, kCaptionLeft, kCaptionTop,
                            kCaptionWidth, kCaptionHeight, dialog,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCaptionControlId)), instance,
                            nullptr);
    if (!strip)
        return nullptr;
    SetWindowLongPtrW(strip, GWLP_USERDATA, static_cast<LONG_PTR>(GetSysColor(COLOR_3DFACE)));
    // Above the counters, which clip around it.
    SetWindowPos(strip, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return strip;
}

} // namespace

void DrawTransferCaption(HWND dialog, const char* text)
{
    if (!dialog || !IsWindow(dialog))
        return;
    HWND strip = FindOrCreateStrip(dialog);
    if (!strip)
        return;
    COLORREF background;
    {
        ScopedWindowDc dc(dialog);
        background = dc ? GetPixel(dc, kCaptionSampleX, kCaptionSampleY) : CLR_INVALID;
    }
    // A sample point that is not visible leaves the colour of the last good sample.
    if (background != CLR_INVALID)
        SetWindowLongPtrW(strip, GWLP_USERDATA, static_cast<LONG_PTR>(background));
    SetWindowTextW(strip, Utf8ToWide(text ? text : "").c_str());
    RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}
