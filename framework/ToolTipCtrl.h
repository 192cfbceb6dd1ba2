#pragma once
// CToolTipCtrl: the common tooltip window. Tools are either whole windows (the tool id
// is the window) or numbered rectangles of one window; mouse messages reach the
// tooltip through RelayEvent.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

class CToolTipCtrl : public CWnd {
public:
    // A tooltip popup owned by `parent`, with the TTS_* styles given.
    BOOL Create(CWnd* parent, DWORD style = 0);

    // With toolId 0 the tool is the whole of `wnd`; otherwise it is rectangle `rect`
    // (the client area when null) of `wnd` under that id. Texts are UTF-8.
    BOOL AddTool(CWnd* wnd, const char* text, const RECT* rect = nullptr, UINT_PTR toolId = 0);
    void UpdateTipText(const char* text, CWnd* wnd, UINT_PTR toolId = 0);
    // The tool's text, or an empty string when there is no such tool.
    std::string GetText(CWnd* wnd, UINT_PTR toolId = 0) const;
    int GetToolCount() const;

    // TTDT_AUTOMATIC, TTDT_INITIAL, TTDT_AUTOPOP or TTDT_RESHOW.
    void SetDelayTime(DWORD which, int ms);
    int GetDelayTime(DWORD which) const;
    void RelayEvent(MSG* msg);

private:
    static void FillToolInfo(TOOLINFOW& info, HWND wnd, UINT_PTR toolId);
};
