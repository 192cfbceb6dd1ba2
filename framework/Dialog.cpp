#include "framework/Dialog.h"

#include "framework/WinApp.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog()
{
    if (m_hWnd && IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND wnd, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_INITDIALOG)
        return FALSE;
    // From here on the dialog's messages run through the object's message table; the
    // dialog manager's own procedure becomes the default handling.
    CDialog* self = reinterpret_cast<CDialog*>(lParam);
    self->Attach(wnd);
    self->m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    return self->OnInitDialog();
}

INT_PTR CDialog::DoModal()
{
    HWND owner = m_parent ? m_parent->m_hWnd : nullptr;
    CWinApp* app = AfxGetApp();
    if (!owner && app && app->m_pMainWnd && app->m_pMainWnd != this)
        owner = app->m_pMainWnd->m_hWnd;
    if (owner && !IsWindow(owner))
        owner = nullptr;

    m_endRequested = false;
    m_result = -1;
    HWND wnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                  &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    if (!wnd)
        return -1;
    // A modal dialog is shown even when its template lacks the visible style.
    if (!m_endRequested && !::IsWindowVisible(wnd)) {
        ::ShowWindow(wnd, SW_SHOWNORMAL);
        ::UpdateWindow(wnd);
    }
    bool ownerDisabled = owner && ::EnableWindow(owner, FALSE) == 0;

    m_inModalLoop = true;
    while (!m_endRequested && IsWindow(wnd)) {
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        // Offer the message to the windows from its target up to this dialog.
        bool handled = false;
        for (HWND h = msg.hwnd; h && !handled; h = ::GetParent(h)) {
            CWnd* object = CWnd::FromHandlePermanent(h);
            if (object && object->PreTranslateMessage(&msg))
                handled = true;
            if (h == wnd)
                break;
        }
        if (!handled) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    m_inModalLoop = false;

    if (ownerDisabled)
        ::EnableWindow(owner, TRUE);
    if (IsWindow(wnd))
        ::DestroyWindow(wnd);
    return m_result;
}

BOOL CDialog::Create(CWnd* parent)
{
    HWND owner = parent ? parent->m_hWnd : (m_parent ? m_parent->m_hWnd : nullptr);
    m_endRequested = false;
    m_result = -1;
    HWND wnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                  &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    return wnd ? TRUE : FALSE;
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    m_endRequested = true;
    if (m_hWnd)
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.m_failed ? FALSE : TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (!m_hWnd || (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd)))
        return FALSE;
    return IsDialogMessageW(m_hWnd, msg);
}

BOOL CDialog::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CWnd::OnWndMsg(msg, wParam, lParam, result))
        return TRUE;
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}
