#pragma once
#include <windows.h>
#include "CString.h"
#include "MessageMap.h"

class CDataExchange;
class CCmdUI;

// A window of the program: a handle plus the class's message table. Windows created by the
// platform (dialog controls) are bound to an object by SubclassWindow / SubclassDlgItem.
class CWnd {
public:
    HWND m_hWnd = nullptr;

    CWnd() {}
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creates a window of a platform class (a control, as a child of parent) and binds it.
    BOOL Create(LPCSTR className, LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Routes the window's messages through this object's table first.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    void GetWindowText(CString& text) const { text = TextOf(m_hWnd); }
    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    static CString TextOf(HWND hWnd);
    // Whether the system's code page holds the window's text as it is: the text of a Unicode
    // window can hold more than that, and TextOf would then give another text.
    static bool TextFitsCodePage(HWND hWnd);
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    BOOL MoveWindow(const RECT& rect, BOOL repaint = TRUE)
    {
        return ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
    }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    virtual BOOL DestroyWindow();
    // Handles the messages waiting for this thread, as a modal box's loop does for the window
    // it disables: everything is dispatched but input meant for this window or its children,
    // which is dropped; a quit request is put back for the loop that owns it.
    void PumpWaitingMessages();

    // Dots per inch the window is shown at (96 at 100 %): the monitor's where the program is
    // aware of each monitor's, else the system's.
    UINT GetDpi() const;
    static UINT GetSystemDpi();
    // A system metric (GetSystemMetrics) as it is at the given DPI.
    static int GetSystemMetricForDpi(int index, UINT dpi);

    // Data exchange between members and controls (DoDataExchange lists the pairs).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // Offers each child control's id to pTarget's update handlers.
    void UpdateDialogControls(CWnd* pTarget, BOOL disableIfNoHandler);

    // Lays out the control bars whose ids lie in [first, last] along the client area's edges.
    void RepositionBars(UINT first, UINT last);

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

protected:
    virtual void DoDataExchange(CDataExchange* pDX) {}
    // Looks the message up in the tables; TRUE when a handler ran, with its result.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void PostNcDestroy() {}
    // Runs when the window is gone: unbinds it and tells the application.
    void OnNcDestroyed();

    static LRESULT CALLBACK StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static const MessageMapEntry* FindEntry(const MessageMap* map, UINT message, UINT code, UINT id);

    WNDPROC m_pfnSuper = nullptr;
};

// What an update handler is given for one control.
class CCmdUI {
public:
    UINT m_nID = 0;
    HWND m_hWnd = nullptr;
    BOOL m_bHandled = FALSE;
    void Enable(BOOL on = TRUE) { ::EnableWindow(m_hWnd, on); }
};

// Carried through DoDataExchange: the direction and the dialog.
class CDataExchange {
public:
    CDataExchange(CWnd* dlg, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlg) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds ctl to control id the first time it runs, in either direction; afterwards nothing.
void DDX_Control(CDataExchange* pDX, int id, CWnd& ctl);
// Towards the control, sets its text only when it differs; from the control, copies it back.
void DDX_Text(CDataExchange* pDX, int id, CString& value);

// Sent by RepositionBars to each control bar, which takes its strip from rect.
const UINT WM_SIZEPARENT = 0x0361;
struct SizeParentParams {
    RECT rect;   // the client area still free
};
