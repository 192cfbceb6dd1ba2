#pragma once
// CDibDialog: a dialog painted with a bitmap background (tiled, stretched or centred),
// with static controls and buttons drawn transparently over it, and the bitmap's
// palette realised when the window gains focus or another window changes the palette.
#include "framework/Dialog.h"
#include "ui/Dib.h"

enum BackgroundMode { kBackgroundTile = 0, kBackgroundStretch = 1, kBackgroundCenter = 2 };

// Paints `image` over a W x H client area in `mode` (the centred image is drawn without
// clearing around it; the caller erases first).
void PaintDibBackground(CDib& image, int mode, HDC dc, int clientWidth, int clientHeight);

class CDibDialog : public CDialog {
public:
    explicit CDibDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDibDialog() override;

    // Stores the mode and loads the bitmap resource as the background.
    BOOL SetBackground(UINT bitmapId, int mode);
    const CDib& Background() const { return m_background; }
    int Mode() const { return m_mode; }

    void DoDataExchange(CDataExchange* dx) override;

protected:
    BOOL OnEraseBkgnd(HDC dc);
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColor);
    // A brush of the background as the client area shows it, aligned in dc to the
    // child control: a control that fills with it restores exactly the image behind
    // it before it draws. Transparent mode is set; the stock null brush when no brush
    // can be made.
    HBRUSH BackgroundBrush(HDC dc, HWND control);
    BOOL OnQueryNewPalette();
    void OnPaletteChanged(HWND changer);

    DECLARE_MESSAGE_MAP()

    CDib m_background;
    int m_mode = kBackgroundTile;
    HBRUSH m_transparentBrush;   // the stock NULL_BRUSH, never deleted

private:
    BOOL BuildBackgroundBrush(int width, int height);

    CBitmap m_brushImage;        // the client area's background, behind the brush
    CBrush m_backgroundBrush;
    SIZE m_brushSize = {0, 0};
};
