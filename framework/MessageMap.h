#pragma once
// Per-class tables of message entries. Each class that handles messages declares
// DECLARE_MESSAGE_MAP() and lists its handlers between BEGIN_MESSAGE_MAP(Class, Base)
// and END_MESSAGE_MAP(), so a class's handlers are visible at a glance. Lookup walks
// from the class's table to its base classes' tables.
#include <windows.h>

class CWnd;

// Runs one handler; returns FALSE when the handler declined the message (only the
// reflected colour handlers can, by returning no brush).
typedef BOOL (*AfxHandlerThunk)(CWnd* self, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT message;      // window message, or a reflected one (WM_REFLECT_BASE + message)
    UINT code;         // notification code for WM_COMMAND / WM_NOTIFY entries
    UINT idFirst;      // control id range for command entries
    UINT idLast;
    AfxHandlerThunk thunk;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* entries;   // ends with an entry whose thunk is null
};

// The old single colour message: every WM_CTLCOLOR* message is looked up under it,
// with the kind (CTLCOLOR_*) passed to the handler.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
// Messages a parent sends back to the child control that caused them.
#define WM_REFLECT_BASE 0xBC00

#define DECLARE_MESSAGE_MAP()                                        \
protected:                                                           \
    static const AFX_MSGMAP* GetThisMessageMap();                    \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                         \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                   \
    {                                                                                  \
        typedef theClass ThisClass;                                                    \
        typedef baseClass TheBaseClass;                                                \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                           \
            {0, 0, 0, 0, nullptr}                                                   \
        };                                                                          \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                                \
    }

#define AFX_THUNK(body)                                                          \
    [](CWnd* w, WPARAM wParam, LPARAM lParam, LRESULT* result) -> BOOL {         \
        ThisClass* self = static_cast<ThisClass*>(w);                            \
        (void)self; (void)wParam; (void)lParam; (void)result;                    \
        body;                                                                    \
        return TRUE;                                                             \
    }

// Generic entries.
#define ON_MESSAGE(msg, memberFn) \
    {msg, 0, 0, 0, AFX_THUNK(*result = self->memberFn(wParam, lParam))},
#define ON_COMMAND(id, memberFn) \
    {WM_COMMAND, BN_CLICKED, id, id, AFX_THUNK(self->memberFn())},
#define ON_BN_CLICKED(id, memberFn) ON_COMMAND(id, memberFn)
#define ON_COMMAND_RANGE(idFirst, idLast, memberFn) \
    {WM_COMMAND, BN_CLICKED, idFirst, idLast, AFX_THUNK(self->memberFn(LOWORD(wParam)))},
#define ON_CONTROL(code, id, memberFn) \
    {WM_COMMAND, code, id, id, AFX_THUNK(self->memberFn())},

// Window messages with decoded arguments.
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_THUNK(self->OnPaint())},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, AFX_THUNK(self->OnTimer(static_cast<UINT_PTR>(wParam)))},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AFX_THUNK(self->OnClose())},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, AFX_THUNK(self->OnDestroy())},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, 0, AFX_THUNK(*result = reinterpret_cast<LRESULT>(self->OnQueryDragIcon()))},
#define ON_WM_LBUTTONDOWN()                                                                  \
    {WM_LBUTTONDOWN, 0, 0, 0, AFX_THUNK(self->OnLButtonDown(static_cast<UINT>(wParam),       \
        POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}))},
#define ON_WM_MOUSEMOVE()                                                                    \
    {WM_MOUSEMOVE, 0, 0, 0, AFX_THUNK(self->OnMouseMove(static_cast<UINT>(wParam),           \
        POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}))},
#define ON_WM_MOVE() \
    {WM_MOVE, 0, 0, 0, AFX_THUNK(self->OnMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))))},
#define ON_WM_SHOWWINDOW() \
    {WM_SHOWWINDOW, 0, 0, 0, AFX_THUNK(self->OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)))},
#define ON_WM_ERASEBKGND() \
    {WM_ERASEBKGND, 0, 0, 0, AFX_THUNK(*result = self->OnEraseBkgnd(reinterpret_cast<HDC>(wParam)))},
#define ON_WM_SETCURSOR()                                                                        \
    {WM_SETCURSOR, 0, 0, 0, AFX_THUNK(*result = self->OnSetCursor(reinterpret_cast<HWND>(wParam), \
        LOWORD(lParam), HIWORD(lParam)))},
#define ON_WM_QUERYNEWPALETTE() \
    {WM_QUERYNEWPALETTE, 0, 0, 0, AFX_THUNK(*result = self->OnQueryNewPalette())},
#define ON_WM_PALETTECHANGED() \
    {WM_PALETTECHANGED, 0, 0, 0, AFX_THUNK(self->OnPaletteChanged(reinterpret_cast<HWND>(wParam)))},
#define ON_WM_CTLCOLOR()                                                                      \
    {WM_CTLCOLOR, 0, 0, 0, AFX_THUNK(*result = reinterpret_cast<LRESULT>(self->OnCtlColor(    \
        reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), static_cast<UINT>(*result))))},

// Reflected entries, handled by the child control itself.
#define ON_WM_CTLCOLOR_REFLECT()                                                          \
    {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0,                                              \
     [](CWnd* w, WPARAM wParam, LPARAM, LRESULT* result) -> BOOL {                         \
         HBRUSH b = static_cast<ThisClass*>(w)->CtlColor(reinterpret_cast<HDC>(wParam),    \
                                                         static_cast<UINT>(*result));      \
         *result = reinterpret_cast<LRESULT>(b);                                           \
         return b != nullptr;                                                              \
     }},
#define ON_CONTROL_REFLECT(code, memberFn) \
    {WM_REFLECT_BASE + WM_COMMAND, code, 0, 0xFFFF, AFX_THUNK(self->memberFn())},
#define ON_WM_DRAWITEM_REFLECT() \
    {WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, 0, AFX_THUNK(self->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); *result = TRUE)},
