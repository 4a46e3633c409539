#pragma once
// Per-class message tables. Each class lists the messages it handles; a message that a class
// does not list is looked up in its base class's table, then gets the default handling.
//
// How a click on Record reaches CRecorderDlg::OnRecord: the toolbar sends WM_COMMAND with
// ID_RECORD to the dialog; CDialog's dialog procedure hands it to CWnd::OnWndMsg, which walks
// CRecorderDlg's table, finds the ON_COMMAND(ID_RECORD, ...) entry and calls its thunk.
#include <windows.h>

class CWnd;

typedef LRESULT (*MsgThunk)(CWnd* self, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;   // WM_COMMAND, WM_NOTIFY or a plain message; 0 ends the table
    UINT code;      // notification code for WM_COMMAND / WM_NOTIFY
    UINT id;        // control or command id for WM_COMMAND / WM_NOTIFY
    MsgThunk thunk;
};

struct MessageMap {
    const MessageMap* (*pfnGetBaseMap)();
    const MessageMapEntry* entries;
};

// Command-state refresh: UpdateDialogControls offers each child's id under this code.
const UINT CN_UPDATE_COMMAND_UI = 0xFFFFFFFFu;
// Messages a parent reflects to the child they concern.
const UINT WM_REFLECT_BASE = 0xBC00;

#define DECLARE_MESSAGE_MAP()                                  \
public:                                                        \
    static const MessageMap* GetThisMessageMap();              \
    const MessageMap* GetMessageMap() const override;          \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                         \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }  \
    const MessageMap* theClass::GetThisMessageMap()                                    \
    {                                                                                  \
        typedef theClass ThisClass;                                                    \
        typedef baseClass TheBaseClass;                                                \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                              \
            { 0, 0, 0, nullptr } };                                                    \
        static const MessageMap map = { &TheBaseClass::GetThisMessageMap, entries };   \
        return &map;                                                                   \
    }

// Variadic so that a handler body may hold commas of its own.
#define VORSEL_THUNK(...) [](CWnd* w, WPARAM wParam, LPARAM lParam) -> LRESULT { \
        ThisClass* self = static_cast<ThisClass*>(w); (void)self; (void)wParam; (void)lParam; __VA_ARGS__ }

// void fn()
#define ON_COMMAND(id, fn) \
    { WM_COMMAND, 0, (UINT)(id), VORSEL_THUNK(self->fn(); return 0;) },
#define ON_BN_CLICKED(id, fn) ON_COMMAND(id, fn)
// void fn(CCmdUI*)
#define ON_UPDATE_COMMAND_UI(id, fn) \
    { WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), \
      VORSEL_THUNK(self->fn(reinterpret_cast<CCmdUI*>(lParam)); return 0;) },
// void fn(NMHDR*, LRESULT*)
#define ON_NOTIFY(code, id, fn) \
    { WM_NOTIFY, (UINT)(code), (UINT)(id), VORSEL_THUNK( \
        LRESULT result = 0; self->fn(reinterpret_cast<NMHDR*>(lParam), &result); return result;) },
// LRESULT fn(WPARAM, LPARAM)
#define ON_MESSAGE(message, fn) \
    { (UINT)(message), 0, 0, VORSEL_THUNK(return self->fn(wParam, lParam);) },
// void OnTimer(UINT_PTR)
#define ON_WM_TIMER() \
    { WM_TIMER, 0, 0, VORSEL_THUNK(self->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;) },
// BOOL OnHelpInfo(HELPINFO*)
#define ON_WM_HELPINFO() \
    { WM_HELP, 0, 0, VORSEL_THUNK(return self->OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam));) },
// LRESULT OnNcHitTest(CPoint)
#define ON_WM_NCHITTEST() \
    { WM_NCHITTEST, 0, 0, VORSEL_THUNK( \
        POINT pt = { (short)LOWORD(lParam), (short)HIWORD(lParam) }; return self->OnNcHitTest(pt);) },
// BOOL OnSetCursor(HWND, UINT hitTest, UINT message)
#define ON_WM_SETCURSOR() \
    { WM_SETCURSOR, 0, 0, VORSEL_THUNK( \
        return self->OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));) },
// void OnLButtonDown(UINT flags, POINT)
#define ON_WM_LBUTTONDOWN() \
    { WM_LBUTTONDOWN, 0, 0, VORSEL_THUNK( \
        POINT pt = { (short)LOWORD(lParam), (short)HIWORD(lParam) }; \
        self->OnLButtonDown(static_cast<UINT>(wParam), pt); return 0;) },
// HBRUSH CtlColor(HDC, UINT ctlType), the parent's colour request reflected to the control
#define ON_WM_CTLCOLOR_REFLECT() \
    { WM_REFLECT_BASE + WM_CTLCOLORSTATIC, 0, 0, VORSEL_THUNK( \
        return reinterpret_cast<LRESULT>(self->CtlColor(reinterpret_cast<HDC>(wParam), CTLCOLOR_STATIC));) },
