#pragma once
// One non-copyable owner for handles and GDI objects, and a scoped selection into a DC.
#include <windows.h>

template <typename H, typename Traits>
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(H h) : m_h(h) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    H Get() const { return m_h; }
    operator H() const { return m_h; }
    bool IsValid() const { return Traits::IsValid(m_h); }
    void Reset(H h = Traits::Invalid())
    {
        if (Traits::IsValid(m_h))
            Traits::Close(m_h);
        m_h = h;
    }
    H Detach()
    {
        H h = m_h;
        m_h = Traits::Invalid();
        return h;
    }

private:
    H m_h = Traits::Invalid();
};

template <typename H>
struct GdiTraits {
    static H Invalid() { return nullptr; }
    static bool IsValid(H h) { return h != nullptr; }
    static void Close(H h) { DeleteObject(h); }
};

struct KernelTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};

typedef ScopedHandle<HANDLE, KernelTraits> ScopedKernelHandle;
typedef ScopedHandle<HANDLE, FileTraits> ScopedFile;
typedef ScopedHandle<HDC, MemoryDcTraits> ScopedMemoryDc;

// Selects a GDI object into a DC and restores the previous one on exit.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(SelectObject(dc, obj)) {}
    ~ScopedSelect() { SelectObject(m_dc, m_old); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A window's DC from GetDC, released on exit.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND wnd) : m_wnd(wnd), m_dc(GetDC(wnd)) {}
    ~ScopedWindowDc() { if (m_dc) ReleaseDC(m_wnd, m_dc); }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    operator HDC() const { return m_dc; }

private:
    HWND m_wnd;
    HDC m_dc;
};

// The framework's GDI object classes: each owns its handle.

class CBrush : public ScopedHandle<HBRUSH, GdiTraits<HBRUSH>> {
public:
    BOOL CreateSolidBrush(COLORREF c)
    {
        Reset(::CreateSolidBrush(c));
        return IsValid();
    }
    void DeleteObject() { Reset(); }
};

class CFont : public ScopedHandle<HFONT, GdiTraits<HFONT>> {
public:
    BOOL CreateFontIndirect(const LOGFONTW* lf)
    {
        Reset(::CreateFontIndirectW(lf));
        return IsValid();
    }
    void DeleteObject() { Reset(); }
};

class CBitmap : public ScopedHandle<HBITMAP, GdiTraits<HBITMAP>> {
public:
    BOOL LoadBitmap(UINT id)
    {
        Reset(static_cast<HBITMAP>(::LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                IMAGE_BITMAP, 0, 0, 0)));
        return IsValid();
    }
    int GetBitmap(BITMAP* bm) const { return ::GetObjectW(Get(), sizeof(BITMAP), bm); }
    void DeleteObject() { Reset(); }
};

class CPalette : public ScopedHandle<HPALETTE, GdiTraits<HPALETTE>> {
public:
    BOOL CreatePalette(const LOGPALETTE* lp)
    {
        Reset(::CreatePalette(lp));
        return IsValid();
    }
    void DeleteObject() { Reset(); }
};
