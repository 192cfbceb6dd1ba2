#include "framework/Text.h"

static std::wstring ToWide(UINT codePage, const char* text)
{
    if (!text || !*text)
        return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &out[0], n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::wstring Utf8ToWide(const char* text) { return ToWide(CP_UTF8, text); }
std::wstring AnsiToWide(const char* text) { return ToWide(CP_ACP, text); }

std::string WideToUtf8(const wchar_t* text)
{
    if (!text || !*text)
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::wstring WindowTextOf(HWND wnd)
{
    int n = GetWindowTextLengthW(wnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(wnd, &text[0], n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}
