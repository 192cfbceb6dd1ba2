#pragma once
// The data-exchange step: binds template controls to members (subclassing them) and
// moves values between controls and fields in either direction.
#include <windows.h>

#include <string>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;   // TRUE: controls to fields
    bool m_failed = false;     // a validation failed; later exchanges are skipped
    HWND m_lastControl = nullptr;

    HWND PrepareCtrl(int id);
    // Stops the exchange after a failed validation.
    void Fail() { m_failed = true; }
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, std::string& value);
void DDV_MaxChars(CDataExchange* dx, const std::string& value, int maxChars);
void DDX_Check(CDataExchange* dx, int id, int& value);
