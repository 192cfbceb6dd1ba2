#pragma once
// Message boxes with UTF-8 texts, shown through the wide-character API.
#include <windows.h>

// The application's message box: owned by the main window when there is one, with the
// application's title as caption.
int AfxMessageBox(const char* utf8Text, UINT type = MB_OK);
// A message box with an explicit owner (may be null) and caption.
int MessageBoxUtf8(HWND owner, const char* utf8Text, const char* utf8Caption, UINT type);
