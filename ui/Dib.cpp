#include "ui/Dib.h"

#include <cstdlib>
#include <new>

CDib::CDib() = default;

CDib::~CDib()
{
    FreeImage();
}

void CDib::FreeImage()
{
    m_header.reset();
    m_bits.reset();
    m_bitsSize = 0;
}

int CDib::ColorTableEntries(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

int CDib::ColorCount(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed != 0)
        return static_cast<int>(header.biClrUsed);
    return header.biBitCount < 31 ? 1 << header.biBitCount : 0;
}

BOOL CDib::LoadFromResource(UINT bitmapId)
{
    HBITMAP loaded = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded)
        return FALSE;
    BOOL copied;
    {
        ScopedWindowDc dc(GetDesktopWindow());
        copied = CopyFromBitmap(dc, loaded);
    }
    DeleteObject(loaded);
    return copied;
}

BOOL CDib::CopyFromBitmap(HDC dc, HBITMAP bitmap)
{
    m_lastFailure = CopyOrFail(dc, bitmap);
    if (!m_lastFailure)
        return TRUE;
    FreeImage();
    m_palette.reset();
    return FALSE;
}

const char* CDib::CopyOrFail(HDC dc, HBITMAP bitmap)
{
    BITMAP bm;
    if (!bitmap || GetObjectW(bitmap, sizeof(bm), &bm) != sizeof(bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return "could not read the bitmap description\n";

    // Sources of 8 bits or less keep their depth; deeper ones become 24-bit rows.
    int depth = bm.bmBitsPixel <= 8 ? bm.bmBitsPixel : 24;
    size_t stride = ((static_cast<size_t>(bm.bmWidth) * (bm.bmBitsPixel <= 8 ? 8 : 24) + 31) & ~static_cast<size_t>(31)) / 8;
    size_t bitsSize = static_cast<size_t>(bm.bmHeight) * stride;
    m_bits.reset();
    m_bitsSize = 0;
    m_bits.reset(new (std::nothrow) BYTE[bitsSize]);
    if (!m_bits)
        return "could not allocate data storage\n";
    m_bitsSize = bitsSize;

    int entries = ColorTableEntries(bm.bmBitsPixel);
    m_header.reset(static_cast<BITMAPINFO*>(calloc(1, sizeof(BITMAPINFOHEADER) + 4 * static_cast<size_t>(entries))));
    if (!m_header)
        return "could not allocate BITMAPINFO struct\n";

    BITMAPINFOHEADER& h = m_header->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = bm.bmWidth;
    h.biHeight = bm.bmHeight;
    h.biPlanes = bm.bmPlanes;
    h.biBitCount = static_cast<WORD>(depth);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>((((bm.bmBitsPixel * bm.bmWidth + 31) / 8) & ~3) * bm.bmHeight);

    // The colour table is filled by the same call; it is not part of the bits block.
    int lines = GetDIBits(dc, bitmap, 0, static_cast<WORD>(bm.bmHeight), m_bits.get(), m_header.get(), DIB_RGB_COLORS);
    if (lines != bm.bmHeight)
        return "call to GetDIBits did not return full number of requested scan lines\n";
    BuildPalette();
    return nullptr;
}

BOOL CDib::BuildPalette()
{
    m_palette.reset();
    if (!m_header || m_header->bmiHeader.biBitCount > 8)
        return FALSE;
    int count = ColorCount(m_header->bmiHeader);
    int entries = ColorTableEntries(m_header->bmiHeader.biBitCount);
    if (count > entries)   // never read past the colour table that was copied
        count = entries;
    if (count <= 0)
        return FALSE;
    std::unique_ptr<LOGPALETTE, FreeBlock> logical(static_cast<LOGPALETTE*>(
        calloc(1, sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * static_cast<size_t>(count))));
    if (!logical)
        return FALSE;
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(count);
    PALETTEENTRY* out = logical->palPalEntry;
    for (int i = 0; i < count; ++i) {
        const RGBQUAD& q = m_header->bmiColors[i];
        out[i].peRed = q.rgbRed;
        out[i].peGreen = q.rgbGreen;
        out[i].peBlue = q.rgbBlue;
        out[i].peFlags = 0;
    }
    std::unique_ptr<CPalette> palette(new (std::nothrow) CPalette);
    if (palette && palette->CreatePalette(logical.get()))
        m_palette = std::move(palette);
    return m_palette ? TRUE : FALSE;
}

void CDib::DrawStretched(HDC dc, int x, int y, int width, int height)
{
    HPALETTE previous = nullptr;
    if (m_palette) {
        previous = SelectPalette(dc, *m_palette, FALSE);
        RealizePalette(dc);
        SetStretchBltMode(dc, COLORONCOLOR);
    }
    if (m_header && m_bits)
        StretchDIBits(dc, x, y, width, height, 0, 0, Width(), Height(), m_bits.get(), m_header.get(),
                      DIB_RGB_COLORS, SRCCOPY);
    if (m_palette)
        SelectPalette(dc, previous, FALSE);
}

void CDib::Draw(HDC dc, int x, int y)
{
    DrawStretched(dc, x, y, Width(), Height());
}
