#include "framework/Wnd.h"

#include "framework/Text.h"

namespace {
const wchar_t kObjectProp[] = L"ZrFrameworkObject";
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        Detach();
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd* CWnd::FromHandlePermanent(HWND wnd)
{
    return wnd ? static_cast<CWnd*>(GetPropW(wnd, kObjectProp)) : nullptr;
}

BOOL CWnd::Attach(HWND wnd)
{
    if (!wnd || m_hWnd)
        return FALSE;
    m_hWnd = wnd;
    SetPropW(wnd, kObjectProp, this);
    return TRUE;
}

void CWnd::Detach()
{
    if (!m_hWnd)
        return;
    if (m_pfnSuper) {
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    RemovePropW(m_hWnd, kObjectProp);
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND wnd)
{
    if (!Attach(wnd))
        return FALSE;
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    HWND wnd = m_hWnd;
    Detach();
    return wnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id)
{
    HWND wnd = CreateWindowExW(exStyle, className, text, style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top,
                               parent ? parent->m_hWnd : nullptr,
                               (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    return wnd ? SubclassWindow(wnd) : FALSE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

void CWnd::SetWindowText(const char* utf8Text)
{
    SetWindowTextW(m_hWnd, Utf8ToWide(utf8Text).c_str());
}

std::string CWnd::GetWindowText() const
{
    return WideToUtf8(WindowTextOf(m_hWnd).c_str());
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add)
{
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    return TRUE;
}

void CWnd::CenterWindow()
{
    RECT r, work;
    GetWindowRect(&r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = work.left + (work.right - work.left - w) / 2;
    int y = work.top + (work.bottom - work.top - h) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* self = FromHandlePermanent(wnd);
    if (!self)
        return DefWindowProcW(wnd, msg, wParam, lParam);
    LRESULT result = self->WindowProc(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        self->Detach();
        self->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    MSG saved = m_currentMsg;
    m_currentMsg = MSG{m_hWnd, msg, wParam, lParam, 0, {0, 0}};
    LRESULT result = 0;
    if (!OnWndMsg(msg, wParam, lParam, &result))
        result = DefWindowProc(msg, wParam, lParam);
    m_currentMsg = saved;
    return result;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return CallWindowProcW(m_pfnSuper, m_hWnd, msg, wParam, lParam);
    return DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_currentMsg.message, m_currentMsg.wParam, m_currentMsg.lParam);
}

const AFX_MSGMAP_ENTRY* CWnd::FindEntry(UINT msg, UINT code, UINT id) const
{
    bool byCode = (msg == WM_COMMAND || msg == WM_NOTIFY ||
                   msg == WM_REFLECT_BASE + WM_COMMAND || msg == WM_REFLECT_BASE + WM_NOTIFY);
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->entries; e->thunk; ++e) {
            if (e->message != msg)
                continue;
            if (byCode && (e->code != code || id < e->idFirst || id > e->idLast))
                continue;
            return e;
        }
    }
    return nullptr;
}

BOOL CWnd::ReflectToChild(HWND child, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CWnd* object = FromHandlePermanent(child);
    if (!object || object == this)
        return FALSE;
    return object->OnChildNotify(msg, wParam, lParam, result);
}

BOOL CWnd::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    UINT code = 0, id = 0;
    UINT lookup = msg;
    if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
        lookup = WM_CTLCOLOR;
        *result = msg - WM_CTLCOLORMSGBOX;
    } else if (msg == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (msg == WM_NOTIFY) {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
        code = hdr->code;
        id = static_cast<UINT>(hdr->idFrom);
    }
    const AFX_MSGMAP_ENTRY* e = FindEntry(WM_REFLECT_BASE + lookup, code, id);
    if (!e)
        return FALSE;
    return e->thunk(this, wParam, lParam, result);
}

HBRUSH CWnd::OnCtlColor(HDC dc, HWND control, UINT)
{
    LRESULT result = 0;
    UINT msg = m_currentMsg.message;
    if (ReflectToChild(control, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control), &result))
        return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    UINT code = 0, id = 0;
    switch (msg) {
    case WM_COMMAND:
        // Control notifications go to the control first.
        if (lParam && ReflectToChild(reinterpret_cast<HWND>(lParam), msg, wParam, lParam, result))
            return TRUE;
        code = HIWORD(wParam);
        id = LOWORD(wParam);
        break;
    case WM_NOTIFY: {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (ReflectToChild(hdr->hwndFrom, msg, wParam, lParam, result))
            return TRUE;
        code = hdr->code;
        id = static_cast<UINT>(hdr->idFrom);
        break;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (dis->CtlType != ODT_MENU && ReflectToChild(dis->hwndItem, msg, wParam, lParam, result))
            return TRUE;
        break;
    }
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: {
        const AFX_MSGMAP_ENTRY* e = FindEntry(WM_CTLCOLOR, 0, 0);
        if (e) {
            // The colour kind travels to the handler in *result.
            *result = msg - WM_CTLCOLORMSGBOX;
            return e->thunk(this, wParam, lParam, result);
        }
        *result = reinterpret_cast<LRESULT>(
            OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), msg - WM_CTLCOLORMSGBOX));
        return TRUE;
    }
    default:
        break;
    }
    const AFX_MSGMAP_ENTRY* e = FindEntry(msg, code, id);
    if (!e)
        return FALSE;
    *result = 0;
    return e->thunk(this, wParam, lParam, result);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}
