#include "ui/WebBrowser.h"

#include <ole2.h>
#include <oleauto.h>

#include "framework/Text.h"

const wchar_t CWebBrowser::kClassIdText[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

namespace {

// Automation id of the browser's Navigate method.
const DISPID kDispIdNavigate = 104;

typedef HRESULT(WINAPI* AtlAxGetControlFn)(HWND, IUnknown**);

AtlAxGetControlFn FindAtlAxGetControl()
{
    HMODULE atl = GetModuleHandleW(L"atl.dll");
    if (!atl)
        atl = LoadLibraryW(L"atl.dll");   // stays loaded: it hosts the control
    if (!atl)
        return nullptr;
    return reinterpret_cast<AtlAxGetControlFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
}

} // namespace

BOOL CWebBrowser::Create(const char*, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, L"AtlAxWin", kClassIdText, style | WS_CHILD, rect, parent, id);
}

int CWebBrowser::Navigate(const char* address, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                          VARIANT* headers)
{
    if (!m_hWnd)
        return 0;
    AtlAxGetControlFn getControl = FindAtlAxGetControl();
    IUnknown* control = nullptr;
    if (!getControl || FAILED(getControl(m_hWnd, &control)) || !control)
        return 0;
    IDispatch* dispatch = nullptr;
    HRESULT hr = control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    control->Release();
    if (FAILED(hr) || !dispatch)
        return 0;

    VARIANT empty;
    VariantInit(&empty);
    VARIANT* optional[4] = {flags, targetFrame, postData, headers};
    // Arguments travel last first: headers, post data, frame, flags, address.
    VARIANTARG args[5];
    for (int i = 0; i < 4; ++i) {
        VariantInit(&args[3 - i]);
        args[3 - i].vt = VT_VARIANT | VT_BYREF;
        args[3 - i].pvarVal = optional[i] ? optional[i] : &empty;
    }
    VariantInit(&args[4]);
    args[4].vt = VT_BSTR;
    args[4].bstrVal = SysAllocString(Utf8ToWide(address).c_str());
    DISPPARAMS params = {args, nullptr, 5, 0};
    hr = dispatch->Invoke(kDispIdNavigate, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                          nullptr, nullptr);
    SysFreeString(args[4].bstrVal);
    VariantClear(&empty);
    dispatch->Release();
    return SUCCEEDED(hr) ? 1 : 0;
}
