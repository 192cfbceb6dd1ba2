#pragma once
// The window of the Windows benchmarks: a plain window with the launcher's reporting
// surfaces (status line, both progress bars, both counters, the transfer caption),
// driven as the launcher drives them, so that the window work is part of what is
// measured. Header only: each benchmark is one translation unit.
#include <windows.h>

#include <commctrl.h>

#include "patch/win/PatchReporter.h"
#include "patch/win/TransferCaption.h"

inline LARGE_INTEGER BenchNow()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

inline double BenchSeconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

inline HWND CreateBenchWindow(const char* className)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, className, "bench", WS_POPUP | WS_VISIBLE, 0, 0, 340, 180,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(window);
    return window;
}

class BenchReporter : public PatchReporter {
public:
    explicit BenchReporter(HWND window) : m_window(window)
    {
        m_status = Child("STATIC", 100, 14, 10, 310, 16);
        m_upper = Child(PROGRESS_CLASSA, 101, 14, 80, 310, 14);
        m_lower = Child(PROGRESS_CLASSA, 102, 14, 100, 310, 14);
        m_versionCounter = Child("STATIC", 103, 14, 120, 150, 16);
        m_fileCounter = Child("STATIC", 104, 170, 120, 150, 16);
    }
    void ShowStatus(const char* text) override { SetStatus(text); }
    void ShowStatusError(const char* text) override { SetStatus(text); }
    void PumpOneMessage() override
    {
        ++pumps;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    void SetBarRange(PatchBar bar, int high) override
    {
        SendMessageA(Bar(bar), PBM_SETRANGE, 0, MAKELPARAM(0, high));
        SendMessageA(Bar(bar), PBM_SETSTEP, 1, 0);
    }
    void SetBarPos(PatchBar bar, int pos) override
    {
        ++barCalls;
        SendMessageA(Bar(bar), PBM_SETPOS, static_cast<WPARAM>(pos), 0);
    }
    void SetCounterText(PatchCounter counter, const char* text) override
    {
        SetWindowTextA(counter == kVersionCounter ? m_versionCounter : m_fileCounter, text);
    }
    void DrawTransferCaption(const char* text) override
    {
        ++captionCalls;
        ::DrawTransferCaption(m_window, text);
    }
    void EnterReady() override { ++readyCalls; }
    void OfferRetry() override {}
    void CloseConnectSocket() override {}
    HWND OwnerWindow() override { return m_window; }

    int pumps = 0;
    int barCalls = 0;
    int captionCalls = 0;
    int readyCalls = 0;

private:
    HWND Child(const char* className, int id, int x, int y, int width, int height)
    {
        return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE, x, y, width, height, m_window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
    }
    HWND Bar(PatchBar bar) const { return bar == kUpperBar ? m_upper : m_lower; }
    // The status line repaints at once, as the launcher's does.
    void SetStatus(const char* text)
    {
        SetWindowTextA(m_status, text);
        UpdateWindow(m_status);
    }

    HWND m_window;
    HWND m_status;
    HWND m_upper;
    HWND m_lower;
    HWND m_versionCounter;
    HWND m_fileCounter;
};
