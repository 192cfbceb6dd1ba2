#pragma once
// CWnd: one C++ object per window, found from its HWND. Windows created or subclassed
// through CWnd go through one static window procedure that calls the class's handlers
// from its message table, reflects WM_CTLCOLOR*, WM_DRAWITEM and control notifications
// back to the child control that owns them, and hands everything else to the window's
// original procedure.
#include <windows.h>

#include <string>

#include "framework/MessageMap.h"

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object bound to a window, or null.
    static CWnd* FromHandlePermanent(HWND wnd);

    // Binds the object to an existing window and routes its messages through the
    // message table (the data-exchange step does this for template controls).
    BOOL SubclassWindow(HWND wnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);
    BOOL DestroyWindow();

    // Everyday wrappers.
    void SetWindowText(const char* utf8Text);
    std::string GetWindowText() const;
    void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    BOOL SetWindowPos(HWND after, int x, int y, int w, int h, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, after, x, y, w, h, flags);
    }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)); }
    void SetFont(HFONT font, BOOL redraw = TRUE)
    {
        ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }
    void CheckRadioButton(int first, int last, int check) { ::CheckRadioButton(m_hWnd, first, last, check); }
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::PostMessageW(m_hWnd, msg, wp, lp); }
    void GetClientRect(RECT* r) const { ::GetClientRect(m_hWnd, r); }
    void GetWindowRect(RECT* r) const { ::GetWindowRect(m_hWnd, r); }
    UINT_PTR SetTimer(UINT_PTR id, UINT ms) { return ::SetTimer(m_hWnd, id, ms, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL RedrawWindow(UINT flags) { return ::RedrawWindow(m_hWnd, nullptr, nullptr, flags); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add);
    void CenterWindow();

    // Message routing.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Called on the child for a message its parent reflects back; TRUE when handled.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual void PreSubclassWindow() {}
    virtual void PostNcDestroy() {}

    // The original window procedure for the message being handled.
    LRESULT Default();
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Default colour handling: reflect to the child control, else the original procedure.
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColor);

    static LRESULT CALLBACK StaticWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    BOOL Attach(HWND wnd);
    void Detach();

    WNDPROC m_pfnSuper = nullptr;

private:
    const AFX_MSGMAP_ENTRY* FindEntry(UINT msg, UINT code, UINT id) const;
    BOOL ReflectToChild(HWND child, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    MSG m_currentMsg = {};
};
