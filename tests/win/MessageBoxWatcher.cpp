#include "tests/win/MessageBoxWatcher.h"

#include "framework/Text.h"

namespace {

MessageBoxWatcher* g_activeWatcher = nullptr;

// The static control of a message box that holds its text.
const int kMessageBoxTextId = 0xFFFF;
const char kOriginalProcProperty[] = "ZrWatchedBoxProc";

std::string WindowTextUtf8(HWND window)
{
    wchar_t text[2048];
    text[0] = L'\0';
    GetWindowTextW(window, text, 2048);
    return WideToUtf8(text);
}

bool IsDialogWindow(HWND window)
{
    char className[32];
    return GetClassNameA(window, className, sizeof className) &&
           lstrcmpA(className, "#32770") == 0;
}

// A button the box offers: present and not hidden by the box's own set-up.
bool HasButton(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    return button && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE);
}

} // namespace

MessageBoxWatcher::MessageBoxWatcher()
{
    g_activeWatcher = this;
    m_hook = SetWindowsHookExA(WH_CBT, &MessageBoxWatcher::OnCbt, nullptr, GetCurrentThreadId());
    m_timer = SetTimer(nullptr, 0, 50, &MessageBoxWatcher::OnTimer);
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    KillTimer(nullptr, m_timer);
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    g_activeWatcher = nullptr;
}

void MessageBoxWatcher::Answer(HWND window)
{
    for (HWND answered : m_answered) {
        if (answered == window)
            return;   // answered already, still closing
    }
    Box box;
    box.caption = WindowTextUtf8(window);
    HWND textControl = GetDlgItem(window, kMessageBoxTextId);
    box.text = textControl ? WindowTextUtf8(textControl) : std::string();
    box.owner = GetWindow(window, GW_OWNER);
    box.hasOk = HasButton(window, IDOK);
    box.hasCancel = HasButton(window, IDCANCEL);
    boxes.push_back(box);
    m_answered.push_back(window);
    EndDialog(window, box.hasOk ? IDOK : IDCANCEL);
}

LRESULT CALLBACK MessageBoxWatcher::OnCbt(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && g_activeWatcher && IsDialogWindow(window)) {
        LONG_PTR original = SetWindowLongPtrW(window, GWLP_WNDPROC,
                                              reinterpret_cast<LONG_PTR>(&MessageBoxWatcher::BoxProc));
        SetPropA(window, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The box's window procedure while it is watched: it is answered as soon as its
// WM_INITDIALOG has set it up, and never shown.
LRESULT CALLBACK MessageBoxWatcher::BoxProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam)
{
    WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(window, kOriginalProcProperty));
    if (message == WM_WINDOWPOSCHANGING)
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(window, kOriginalProcProperty);
    }
    LRESULT result = CallWindowProcW(original, window, message, wParam, lParam);
    if (message == WM_INITDIALOG && g_activeWatcher)
        g_activeWatcher->Answer(window);
    return result;
}

void CALLBACK MessageBoxWatcher::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_activeWatcher)
        EnumThreadWindows(GetCurrentThreadId(), &MessageBoxWatcher::CheckWindow, 0);
}

BOOL CALLBACK MessageBoxWatcher::CheckWindow(HWND window, LPARAM)
{
    if (IsWindowVisible(window) && IsDialogWindow(window))
        g_activeWatcher->Answer(window);
    return TRUE;
}
