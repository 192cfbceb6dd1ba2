#pragma once
// The launcher's name: the application name, the window title and the caption of
// its message boxes.
#define ZR_APP_TITLE "ZR Auto Update"

constexpr char kAppTitle[] = ZR_APP_TITLE;
constexpr wchar_t kAppTitleWide[] = L"" ZR_APP_TITLE;
