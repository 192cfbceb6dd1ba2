#include "framework/BitmapButton.h"

BOOL CBitmapButton::LoadBitmaps(UINT normalId, UINT selectedId, UINT focusId, UINT disabledId)
{
    m_bitmap.DeleteObject();
    m_bitmapSel.DeleteObject();
    m_bitmapFocus.DeleteObject();
    m_bitmapDisabled.DeleteObject();
    if (!m_bitmap.LoadBitmap(normalId))
        return FALSE;
    BOOL allLoaded = TRUE;
    if (selectedId && !m_bitmapSel.LoadBitmap(selectedId))
        allLoaded = FALSE;
    if (focusId && !m_bitmapFocus.LoadBitmap(focusId))
        allLoaded = FALSE;
    if (disabledId && !m_bitmapDisabled.LoadBitmap(disabledId))
        allLoaded = FALSE;
    return allLoaded;
}

void CBitmapButton::SizeToContent()
{
    BITMAP bm;
    if (!m_bitmap.IsValid() || !m_bitmap.GetBitmap(&bm))
        return;
    SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}

HBITMAP CBitmapButton::BitmapForState(UINT state) const
{
    if ((state & ODS_SELECTED) && m_bitmapSel.IsValid())
        return m_bitmapSel;
    if ((state & ODS_FOCUS) && m_bitmapFocus.IsValid())
        return m_bitmapFocus;
    if ((state & ODS_DISABLED) && m_bitmapDisabled.IsValid())
        return m_bitmapDisabled;
    return m_bitmap;
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT item)
{
    HBITMAP bitmap = BitmapForState(item->itemState);
    BITMAP bm;
    if (!bitmap || !::GetObjectW(bitmap, sizeof(bm), &bm))
        return;
    ScopedMemoryDc memory(CreateCompatibleDC(item->hDC));
    if (!memory.IsValid())
        return;
    ScopedSelect select(memory, bitmap);
    // Unstretched copy to the item's top-left corner; a larger item keeps whatever lies
    // beneath it outside the bitmap.
    const RECT& r = item->rcItem;
    int w = r.right - r.left < bm.bmWidth ? r.right - r.left : bm.bmWidth;
    int h = r.bottom - r.top < bm.bmHeight ? r.bottom - r.top : bm.bmHeight;
    BitBlt(item->hDC, r.left, r.top, w, h, memory, 0, 0, SRCCOPY);
}
