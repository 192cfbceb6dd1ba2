#pragma once
// CDialog: a dialog from a template in the program's resources, run modally by a
// message loop of its own so that PreTranslateMessage sees every message, as the
// windows of the launcher need (Escape filtering, tooltip relay).
#include "framework/Wnd.h"
#include "framework/DataExchange.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the dialog, runs it until EndDialog or a quit message, and returns the
    // value given to EndDialog (-1 when the dialog could not be created). A quit
    // message ends the loop and is posted again for the enclosing loop.
    virtual INT_PTR DoModal();
    void EndDialog(int result);
    // Creates the dialog without a loop of its own (modeless); the caller's message
    // loop runs it and DestroyWindow ends it.
    BOOL Create(CWnd* parent = nullptr);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);
    // Runs the data exchange: TRUE loads fields from the controls, FALSE the reverse.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    UINT GetTemplateId() const { return m_templateId; }
    bool IsInModalLoop() const { return m_inModalLoop; }

protected:
    static INT_PTR CALLBACK StaticDialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_parent;

private:
    bool m_inModalLoop = false;
    bool m_endRequested = false;
    int m_result = -1;
};
