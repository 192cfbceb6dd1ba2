#include "ui/HyperLink.h"

#include <mbstring.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "framework/MessageBox.h"
#include "framework/Text.h"

BEGIN_MESSAGE_MAP(CHyperLink, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
    ON_CONTROL_REFLECT(STN_CLICKED, OnClicked)
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
END_MESSAGE_MAP()

namespace {

std::string WideToAnsi(const std::wstring& wide)
{
    if (wide.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

// Paints what the parent shows behind the control into the control's DC, so text
// drawn transparently never lands on the text of an earlier paint.
void PaintParentBackground(HWND control, HDC dc)
{
    HWND parent = ::GetParent(control);
    if (!parent)
        return;
    POINT origin = {0, 0};
    MapWindowPoints(control, parent, &origin, 1);
    POINT previous;
    OffsetWindowOrgEx(dc, origin.x, origin.y, &previous);
    ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
}

} // namespace

std::string HyperLinkFailureText(int code)
{
    const char* reason = nullptr;
    switch (code) {
    case 0: reason = "The operating system is out\nof memory or resources."; break;
    case SE_ERR_FNF: reason = "The specified file was not found."; break;
    case SE_ERR_PNF: reason = "The specified path was not found."; break;
    case SE_ERR_ACCESSDENIED: reason = "The operating system denied\naccess to the specified file."; break;
    case SE_ERR_OOM: reason = "There was not enough memory to complete the operation."; break;
    case ERROR_BAD_FORMAT: reason = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."; break;
    case SE_ERR_SHARE: reason = "A sharing violation occurred. "; break;
    case SE_ERR_ASSOCINCOMPLETE: reason = "The filename association is\nincomplete or invalid."; break;
    case SE_ERR_DDETIMEOUT: reason = "The DDE transaction could not\nbe completed because the request timed out."; break;
    case SE_ERR_DDEFAIL: reason = "The DDE transaction failed."; break;
    case SE_ERR_DDEBUSY:
        reason = "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
        break;
    case SE_ERR_NOASSOC: reason = "There is no application associated\nwith the given filename extension."; break;
    case SE_ERR_DLLNOTFOUND: reason = "The specified dynamic-link library was not found."; break;
    default: break;
    }
    char unknown[64];
    if (!reason) {
        snprintf(unknown, sizeof(unknown), "Unknown Error (%d) occurred.", code);
        reason = unknown;
    }
    return std::string("Unable to open hyperlink:\n\n") + reason;
}

int BuildOpenerCommand(const char* command, const char* target, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return 0;
    out[0] = '\0';
    const unsigned char* cmd = reinterpret_cast<const unsigned char*>(command);
    size_t keep = strlen(command);
    const unsigned char* cut = _mbsstr(cmd, reinterpret_cast<const unsigned char*>("\"%1\""));
    if (!cut)
        cut = _mbsstr(cmd, reinterpret_cast<const unsigned char*>("%1"));
    if (cut)
        keep = static_cast<size_t>(cut - cmd);
    size_t targetLength = strlen(target);
    if (keep + 1 + targetLength + 1 > outSize)
        return 0;
    memcpy(out, command, keep);
    out[keep] = ' ';
    memcpy(out + keep + 1, target, targetLength + 1);
    return 1;
}

CHyperLink::CHyperLink() : m_hoverColor(GetSysColor(COLOR_HIGHLIGHT)) {}

CHyperLink::~CHyperLink()
{
    if (m_handCursor)
        DestroyCursor(m_handCursor);
}

void CHyperLink::PreSubclassWindow()
{
    ModifyStyle(0, SS_NOTIFY);
    std::wstring text = WindowTextOf(m_hWnd);
    if (m_target.empty())
        m_target = WideToUtf8(text.c_str());
    if (text.empty())
        SetWindowText(m_target.c_str());
    ApplyFont();
    FitToText();
    LoadHandCursor();
    if (m_toolTip.Create(this)) {
        RECT client;
        GetClientRect(&client);
        m_toolTip.AddTool(this, m_target.c_str(), &client, kToolId);
    }
    CStatic::PreSubclassWindow();
}

void CHyperLink::ApplyFont()
{
    LOGFONTW lf = {};
    HFONT current = GetFont();
    if (!current || !GetObjectW(current, sizeof(lf), &lf))
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfUnderline = m_underline ? TRUE : FALSE;
    CFont font;
    if (!font.CreateFontIndirect(&lf))
        return;
    // The control switches to the new font before the old one is deleted.
    SetFont(font, TRUE);
    m_linkFont.Reset(font.Detach());
}

void CHyperLink::SetTarget(const char* target)
{
    m_target = target ? target : "";
    if (m_hWnd) {
        FitToText();
        m_toolTip.UpdateTipText(m_target.c_str(), this, kToolId);
    }
}

void CHyperLink::MarkVisited(bool visited)
{
    m_visited = visited;
    if (m_hWnd)
        Invalidate(TRUE);
}

void CHyperLink::SetUnderlined(bool underline)
{
    m_underline = underline;
    if (m_hWnd) {
        ApplyFont();
        Invalidate(TRUE);
    }
}

void CHyperLink::FitToText()
{
    if (!m_hWnd || !m_fitToText)
        return;
    RECT r;
    GetWindowRect(&r);
    HWND parent = GetParent();
    if (parent)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);

    std::wstring text = WindowTextOf(m_hWnd);
    SIZE extent = {0, 0};
    {
        ScopedWindowDc dc(m_hWnd);
        HFONT font = m_linkFont.IsValid() ? m_linkFont.Get() : GetFont();
        ScopedSelect select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    }

    DWORD style = GetStyle();
    if (style & SS_CENTERIMAGE) {
        int shrink = (r.bottom - r.top - extent.cy) / 2;
        r.top += shrink;
        r.bottom -= shrink;
    } else {
        r.bottom = r.top + extent.cy;
    }
    DWORD kind = style & SS_TYPEMASK;
    if (kind == SS_CENTER) {
        int shrink = (r.right - r.left - extent.cx) / 2;
        r.left += shrink;
        r.right -= shrink;
    } else if (kind == SS_RIGHT) {
        r.left = r.right - extent.cx;
    } else {
        r.right = r.left + extent.cx;
    }
    SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
}

COLORREF CHyperLink::CurrentTextColor() const
{
    if (m_hovering)
        return m_hoverColor;
    return m_visited ? m_visitedColor : m_linkColor;
}

HBRUSH CHyperLink::CtlColor(HDC dc, UINT)
{
    if (m_hWnd)
        PaintParentBackground(m_hWnd, dc);
    SetTextColor(dc, CurrentTextColor());
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void CHyperLink::OnMouseMove(UINT, POINT point)
{
    Default();
    const UINT redraw = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
    if (!m_hovering) {
        m_hovering = true;
        RedrawWindow(redraw);
        SetCapture(m_hWnd);
        return;
    }
    RECT client;
    GetClientRect(&client);
    if (!PtInRect(&client, point)) {
        m_hovering = false;
        ReleaseCapture();
        RedrawWindow(redraw);
    }
}

LRESULT CHyperLink::OnCaptureChanged(WPARAM, LPARAM lParam)
{
    // The mouse was taken away while hovering (a message box, another window): the
    // pointer's leaving would never be seen, so the hover ends here.
    if (m_hovering && reinterpret_cast<HWND>(lParam) != m_hWnd) {
        m_hovering = false;
        RedrawWindow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return 0;
}

BOOL CHyperLink::OnSetCursor(HWND, UINT, UINT)
{
    if (!m_handCursor)
        return FALSE;
    ::SetCursor(m_handCursor);
    return TRUE;
}

void CHyperLink::LoadHandCursor()
{
    if (m_handCursor)
        return;
    char path[260 + 16];
    UINT n = GetWindowsDirectoryA(path, 260);
    if (n == 0 || n >= 260)
        return;
    strcat(path, "\\winhlp32.exe");
    HMODULE module = LoadLibraryA(path);
    if (!module)
        return;
    HCURSOR cursor = LoadCursorA(module, MAKEINTRESOURCEA(106));
    if (cursor)
        m_handCursor = CopyCursor(cursor);
    FreeLibrary(module);
}

BOOL CHyperLink::PreTranslateMessage(MSG* msg)
{
    m_toolTip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

void CHyperLink::OnClicked()
{
    std::string target = WideToAnsi(Utf8ToWide(m_target.c_str()));
    INT_PTR result = OpenTarget(target.c_str(), SW_SHOW);
    m_visited = result > 32;
    if (m_visited) {
        MarkVisited(true);
    } else {
        MessageBeep(MB_ICONEXCLAMATION);
        ReportOpenFailure(static_cast<int>(result));
    }
}

INT_PTR CHyperLink::OpenTarget(const char* target, int showCommand, HKEY classesRoot)
{
    INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", target, nullptr, nullptr, showCommand));
    if (result > 32)
        return result;
    return OpenWithRegisteredOpener(target, showCommand, classesRoot, result);
}

INT_PTR CHyperLink::OpenWithRegisteredOpener(const char* target, int showCommand, HKEY classesRoot,
                                             INT_PTR failureCode)
{
    std::string key;
    if (ReadRegistryDefault(classesRoot, ".htm", key) != ERROR_SUCCESS)
        return failureCode;
    key += "\\shell\\open\\command";
    std::string command;
    // An opener that is missing, unreadable or empty leaves the shell's code standing.
    if (ReadRegistryDefault(classesRoot, key.c_str(), command) != ERROR_SUCCESS || command.empty())
        return failureCode;
    char line[kCommandBufferSize];
    // A command that cannot take the target within the buffer is not run at all.
    if (!BuildOpenerCommand(command.c_str(), target, line, sizeof(line)))
        return failureCode;
    return static_cast<INT_PTR>(WinExec(line, static_cast<UINT>(showCommand)));
}

LONG CHyperLink::ReadRegistryDefault(HKEY root, const char* subkey, std::string& out)
{
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    char value[260];
    DWORD size = sizeof(value);
    DWORD type = 0;
    // A default value that cannot be read, or is not text, reads as empty.
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        size = 0;
    if (size >= sizeof(value))
        size = sizeof(value) - 1;
    value[size] = '\0';
    out = value;
    RegCloseKey(key);
    return ERROR_SUCCESS;
}

void CHyperLink::ReportOpenFailure(int code)
{
    AfxMessageBox(HyperLinkFailureText(code).c_str(), MB_ICONEXCLAMATION);
}
