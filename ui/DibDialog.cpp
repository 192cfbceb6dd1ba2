#include "ui/DibDialog.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CDibDialog, CDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_QUERYNEWPALETTE()
    ON_WM_PALETTECHANGED()
END_MESSAGE_MAP()

void PaintDibBackground(CDib& image, int mode, HDC dc, int clientWidth, int clientHeight)
{
    int w = image.Width(), h = image.Height();
    if (mode == kBackgroundStretch) {
        image.DrawStretched(dc, 0, 0, clientWidth, clientHeight);
    } else if (mode == kBackgroundCenter) {
        image.Draw(dc, (clientWidth - w) / 2, (clientHeight - h) / 2);
    } else {
        if (w <= 0 || h <= 0)
            return;
        for (int y = 0; y < clientHeight; y += h)
            for (int x = 0; x < clientWidth; x += w)
                image.Draw(dc, x, y);
    }
}

CDibDialog::CDibDialog(UINT templateId, CWnd* parent)
    : CDialog(templateId, parent), m_transparentBrush(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)))
{
}

CDibDialog::~CDibDialog() = default;

BOOL CDibDialog::SetBackground(UINT bitmapId, int mode)
{
    m_mode = mode;
    m_backgroundBrush.DeleteObject();
    return m_background.LoadFromResource(bitmapId);
}

void CDibDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
}

BOOL CDibDialog::OnEraseBkgnd(HDC dc)
{
    if (!m_background.Bits())
        return static_cast<BOOL>(Default());
    RECT client;
    GetClientRect(&client);
    if (m_mode == kBackgroundCenter)
        Default();
    PaintDibBackground(m_background, m_mode, dc, client.right - client.left, client.bottom - client.top);
    return TRUE;
}

HBRUSH CDibDialog::OnCtlColor(HDC dc, HWND control, UINT ctlColor)
{
    if (!m_background.Bits())
        return CWnd::OnCtlColor(dc, control, ctlColor);
    if (ctlColor == CTLCOLOR_BTN) {
        SetBkMode(dc, TRANSPARENT);
        return m_transparentBrush;
    }
    if (ctlColor == CTLCOLOR_STATIC) {
        // Trackbars paint their own channel and keep the default colours.
        wchar_t className[256] = L"";
        GetClassNameW(control, className, 256);
        if (_wcsicmp(className, L"msctls_trackbar32") == 0)
            return CWnd::OnCtlColor(dc, control, ctlColor);
        SetBkMode(dc, TRANSPARENT);
        return m_transparentBrush;
    }
    return CWnd::OnCtlColor(dc, control, ctlColor);
}

HBRUSH CDibDialog::BackgroundBrush(HDC dc, HWND control)
{
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(&client);
    if ((!m_backgroundBrush.IsValid() || client.right != m_brushSize.cx || client.bottom != m_brushSize.cy) &&
        !BuildBackgroundBrush(client.right, client.bottom))
        return m_transparentBrush;
    POINT origin = {0, 0};
    ::MapWindowPoints(control, m_hWnd, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    return m_backgroundBrush;
}

BOOL CDibDialog::BuildBackgroundBrush(int width, int height)
{
    m_backgroundBrush.DeleteObject();
    m_brushImage.DeleteObject();
    if (width <= 0 || height <= 0)
        return FALSE;
    ScopedWindowDc screen(m_hWnd);
    ScopedMemoryDc memory(CreateCompatibleDC(screen));
    m_brushImage.Reset(CreateCompatibleBitmap(screen, width, height));
    if (!memory.IsValid() || !m_brushImage.IsValid())
        return FALSE;
    {
        ScopedSelect select(memory, m_brushImage);
        ::SendMessageW(m_hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(memory.Get())), 0);
    }
    m_backgroundBrush.Reset(CreatePatternBrush(m_brushImage));
    m_brushSize = SIZE{width, height};
    return m_backgroundBrush.IsValid();
}

BOOL CDibDialog::OnQueryNewPalette()
{
    CPalette* palette = m_background.Palette();
    if (!palette || !m_hWnd)
        return static_cast<BOOL>(Default());
    UINT changed;
    {
        ScopedWindowDc dc(m_hWnd);
        HPALETTE previous = SelectPalette(dc, *palette, FALSE);
        changed = RealizePalette(dc);
        SelectPalette(dc, previous, FALSE);
    }
    if (changed == 0 || changed == GDI_ERROR)
        return FALSE;
    Invalidate(TRUE);
    return TRUE;
}

void CDibDialog::OnPaletteChanged(HWND changer)
{
    CPalette* palette = m_background.Palette();
    if (!palette || !m_hWnd || changer == m_hWnd || ::IsChild(m_hWnd, changer)) {
        Default();
        return;
    }
    UINT changed;
    {
        ScopedWindowDc dc(m_hWnd);
        HPALETTE previous = SelectPalette(dc, *palette, TRUE);
        changed = RealizePalette(dc);
        SelectPalette(dc, previous, FALSE);
    }
    if (changed != 0 && changed != GDI_ERROR)
        Invalidate(TRUE);
}
