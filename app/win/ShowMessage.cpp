#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "app/ShowMessage.h"
#include "framework/MessageBox.h"

void ShowMessageF(const char* format, ...)
{
    char text[1024];
    memset(text, 0, sizeof(text));
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    MessageBoxUtf8(nullptr, text, g_msg.Get(kMsgBoxTitle), MB_OK);
}
