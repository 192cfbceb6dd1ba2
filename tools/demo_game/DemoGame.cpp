// The demo game: the program the launcher starts once the client is current. It
// appends its command line to "demo-game.txt" in its current directory (the game
// directory), so the demonstration can tell that it was started and how, and shows
// that command line in a small window that closes by itself after a few seconds.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kClassName[] = L"ZrDemoGame";
const UINT_PTR kCloseTimer = 1;
const UINT kShowMs = 6000;

std::wstring g_text;

LRESULT CALLBACK DemoWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT area;
        GetClientRect(wnd, &area);
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&area, -16, -16);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(240, 200, 90));
        HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc, g_text.c_str(), -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK);
        SelectObject(dc, oldFont);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_TIMER:
        DestroyWindow(wnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(wnd, msg, wParam, lParam);
    }
}

void RecordCommandLine(const char* commandLine)
{
    FILE* out = fopen("demo-game.txt", "ab");
    if (!out)
        return;
    fprintf(out, "%s\n", commandLine);
    fclose(out);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    RecordCommandLine(GetCommandLineA());
    g_text = L"ZR demo game started.\n\nCommand line:\n";
    g_text += GetCommandLineW();

    WNDCLASSW wc = {};
    wc.lpfnWndProc = DemoWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(0, kClassName, L"ZR Demo Game", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                               CW_USEDEFAULT, CW_USEDEFAULT, 420, 160, nullptr, nullptr, instance, nullptr);
    if (!wnd)
        return 1;
    ShowWindow(wnd, showCommand);
    SetTimer(wnd, kCloseTimer, kShowMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
