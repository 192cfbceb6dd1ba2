#pragma once
// CHyperLink: a static control turned into a web link. Link colours change on hover
// and after a successful open, the pointer becomes a hand, a tooltip shows the target,
// and a click opens the target with the shell, falling back to the command registered
// for web pages.
#include <string>

#include "framework/GdiObject.h"
#include "framework/Static.h"
#include "framework/ToolTipCtrl.h"

// The text shown for a failed open with `code` (a shell or program-start result).
std::string HyperLinkFailureText(int code);

// Builds "<command cut at its %1 placeholder> <target>" into out (outSize bytes with
// the terminating zero). A quoted "%1" is cut at its opening quote, a bare %1 at the
// percent sign. 0 when the result would not fit; out is then an empty string.
int BuildOpenerCommand(const char* command, const char* target, char* out, size_t outSize);

class CHyperLink : public CStatic {
public:
    enum { kCommandBufferSize = 520, kToolId = 1 };

    CHyperLink();
    ~CHyperLink() override;

    // The target (UTF-8) opened by a click and shown by the tooltip.
    void SetTarget(const char* target);
    const std::string& GetTarget() const { return m_target; }
    void MarkVisited(bool visited = true);
    bool IsVisited() const { return m_visited; }
    void SetUnderlined(bool underline);
    bool IsUnderlined() const { return m_underline; }
    bool IsHovering() const { return m_hovering; }
    // Shrinks the control to its text, by the alignment styles of the control.
    void FitToText();
    // The colour the text is drawn in now.
    COLORREF CurrentTextColor() const;
    HCURSOR HandCursor() const { return m_handCursor; }
    const CToolTipCtrl& ToolTip() const { return m_toolTip; }

    // Opens `target` (ANSI) with the shell, else with the registered web-page opener
    // found under `classesRoot`; returns the shell or program-start result (> 32 is
    // success).
    static INT_PTR OpenTarget(const char* target, int showCommand, HKEY classesRoot = HKEY_CLASSES_ROOT);
    // The registered web-page opener under `classesRoot` run with `target`; returns the
    // program-start result, or `failureCode` when no opener is registered or the
    // command would not fit its buffer.
    static INT_PTR OpenWithRegisteredOpener(const char* target, int showCommand, HKEY classesRoot,
                                            INT_PTR failureCode);
    // The default value of a key: 0, or the error code of opening it.
    static LONG ReadRegistryDefault(HKEY root, const char* subkey, std::string& out);
    void ReportOpenFailure(int code);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void PreSubclassWindow() override;
    HBRUSH CtlColor(HDC dc, UINT ctlColor);
    void OnClicked();
    void OnMouseMove(UINT flags, POINT point);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message);
    void LoadHandCursor();

    DECLARE_MESSAGE_MAP()

private:
    void ApplyFont();

    COLORREF m_linkColor = RGB(100, 100, 238);
    COLORREF m_visitedColor = RGB(85, 26, 139);
    COLORREF m_hoverColor;
    bool m_hovering = false;
    bool m_visited = false;
    bool m_underline = true;
    bool m_fitToText = true;
    std::string m_target;
    CFont m_linkFont;
    HCURSOR m_handCursor = nullptr;
    CToolTipCtrl m_toolTip;
};
