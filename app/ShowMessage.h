#pragma once
// printf-style message box for hard errors of the patch engine: no owner, caption
// catalogue text 128, OK button. The text is cut at 1023 characters.
void ShowMessageF(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
