#pragma once
// Watches for message boxes of the test thread while the code under test shows them
// modally. A creation hook subclasses each box; right after its WM_INITDIALOG the
// watcher records its caption, text, owner and buttons and ends it with IDOK, and the
// box is never shown (hiding a shown box costs two seconds under an X server without
// a window manager).
// A thread timer, which the box's own message loop dispatches, answers any box the
// hook missed, so a test can never hang on one. One watcher at a time.
#include <windows.h>

#include <string>
#include <vector>

class MessageBoxWatcher {
public:
    struct Box {
        std::string caption;   // UTF-8
        std::string text;      // UTF-8
        HWND owner;
        bool hasOk;
        bool hasCancel;
    };

    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<Box> boxes;

private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK CheckWindow(HWND window, LPARAM);
    void Answer(HWND box);

    HHOOK m_hook;
    UINT_PTR m_timer;
    std::vector<HWND> m_answered;
};
