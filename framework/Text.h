#pragma once
// Conversions between the launcher's UTF-8 texts and the wide-character window API.
#include <windows.h>

#include <string>

std::wstring Utf8ToWide(const char* text);
std::string WideToUtf8(const wchar_t* text);
// ANSI (system code page) byte strings, such as file names from the patch server.
std::wstring AnsiToWide(const char* text);
// The whole text of a window, wide.
std::wstring WindowTextOf(HWND wnd);
