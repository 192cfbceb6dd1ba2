#pragma once
// CBitmapButton: an owner-drawn push button that shows one of four bitmaps chosen by
// its state (normal, pressed, focused, disabled) and takes its size from the normal
// bitmap. Its caption is never drawn.
#include "framework/Button.h"
#include "framework/GdiObject.h"

class CBitmapButton : public CButton {
public:
    // Replaces all four bitmaps with the given resources; 0 leaves a slot empty.
    // FALSE when the normal bitmap fails, else TRUE only if every other given one loaded.
    BOOL LoadBitmaps(UINT normalId, UINT selectedId = 0, UINT focusId = 0, UINT disabledId = 0);
    // Width and height of the normal bitmap, keeping position, z-order and activation.
    void SizeToContent();

    // The bitmap an item in `itemState` (ODS_* flags) shows; null when none is loaded.
    HBITMAP BitmapForState(UINT itemState) const;
    void DrawItem(LPDRAWITEMSTRUCT item) override;

private:
    CBitmap m_bitmap;          // normal, also gives the size
    CBitmap m_bitmapSel;       // pressed
    CBitmap m_bitmapFocus;     // keyboard focus
    CBitmap m_bitmapDisabled;  // disabled
};
