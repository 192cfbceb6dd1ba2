#include "patch/win/TransferCaption.h"

#include <string>

#include "framework/GdiObject.h"
#include "framework/Text.h"

namespace {

// The dialog's Korean face name, "Gulim" in Hangul.
const wchar_t kCaptionFace[] = L"\uAD74\uB9BC";

HFONT CreateCaptionFont()
{
    return CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, kCaptionFace);
}

} // namespace

void DrawTransferCaption(HWND dialog, const char* text)
{
    if (!dialog || !IsWindow(dialog))
        return;
    ScopedWindowDc windowDc(dialog);
    if (!windowDc)
        return;
    ScopedMemoryDc memoryDc(CreateCompatibleDC(windowDc));
    if (!memoryDc.IsValid())
        return;
    CBitmap strip;
    strip.Reset(CreateCompatibleBitmap(windowDc, kCaptionWidth, kCaptionBitmapHeight));
    if (!strip.IsValid())
        return;
    ScopedSelect selectStrip(memoryDc, strip);

    COLORREF background = GetPixel(windowDc, kCaptionSampleX, kCaptionSampleY);
    if (background == CLR_INVALID)   // the sample point is not visible
        background = GetSysColor(COLOR_3DFACE);
    CBrush brush;
    brush.CreateSolidBrush(background);
    ScopedSelect selectBrush(memoryDc, brush);
    PatBlt(memoryDc, 0, 0, kCaptionWidth, kCaptionBitmapHeight, PATCOPY);

    CFont font;
    font.Reset(CreateCaptionFont());
    ScopedSelect selectFont(memoryDc, font);
    SetBkMode(memoryDc, TRANSPARENT);
    std::wstring wide = Utf8ToWide(text ? text : "");
    RECT area = {0, 0, kCaptionWidth, kCaptionBitmapHeight};
    DrawTextW(memoryDc, wide.c_str(), static_cast<int>(wide.size()), &area, DT_CENTER);

    BitBlt(windowDc, kCaptionLeft, kCaptionTop, kCaptionWidth, kCaptionHeight, memoryDc, 0, 0,
           SRCCOPY);
}
