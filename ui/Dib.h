#pragma once
// CDib: one image as a packed device-independent bitmap (header with colour table,
// bottom-up pixel rows) with a logical palette, painted at its own size or stretched.
// Images of 8 bits per pixel or less keep their depth and get a palette; deeper ones
// are held as 24-bit rows without a palette.
#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <memory>

#include "framework/GdiObject.h"

class CDib {
public:
    CDib();
    virtual ~CDib();
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // Loads a bitmap resource of the program and copies it; FALSE when the resource
    // is missing or the copy fails.
    BOOL LoadFromResource(UINT bitmapId);
    // Replaces the image with a copy of a device bitmap, read through `dc`. On failure
    // the image is left empty and FALSE returned.
    BOOL CopyFromBitmap(HDC dc, HBITMAP bitmap);
    // Rebuilds the palette from the colour table; TRUE when a palette exists.
    BOOL BuildPalette();

    virtual void DrawStretched(HDC dc, int x, int y, int width, int height);
    virtual void Draw(HDC dc, int x, int y);

    int Width() const { return m_header ? m_header->bmiHeader.biWidth : 0; }
    int Height() const { return m_header ? m_header->bmiHeader.biHeight : 0; }
    const BYTE* Bits() const { return m_bits.get(); }
    const BITMAPINFO* Header() const { return m_header.get(); }
    CPalette* Palette() const { return m_palette.get(); }
    size_t BitsSize() const { return m_bitsSize; }
    // Why the last copy failed (a developer's text, never shown), or null.
    const char* LastFailure() const { return m_lastFailure; }

    // Colour-table entries of a header for a source of this depth: 2, 16, 256 or 0.
    static int ColorTableEntries(int bitsPerPixel);
    // Colour count of an image: biClrUsed, or 2 to the power of the depth.
    static int ColorCount(const BITMAPINFOHEADER& header);

private:
    // The copy proper; returns the failure text, or null on success.
    const char* CopyOrFail(HDC dc, HBITMAP bitmap);
    void FreeImage();

    // Blocks of calloc, freed with free: a header followed by its table.
    struct FreeBlock {
        void operator()(void* block) const { free(block); }
    };

    std::unique_ptr<BITMAPINFO, FreeBlock> m_header;   // BITMAPINFOHEADER + colour table
    std::unique_ptr<BYTE[]> m_bits;
    std::unique_ptr<CPalette> m_palette;
    size_t m_bitsSize = 0;
    const char* m_lastFailure = nullptr;
};
