#include "CWnd.h"
#include "CWinApp.h"
#include <map>
#include <vector>

namespace {
// One thread owns every window, so a plain map is enough.
std::map<HWND, CWnd*>& HandleMap()
{
    static std::map<HWND, CWnd*> map;
    return map;
}

// Calls of Windows 10 that older systems do not have.
template <typename Fn>
Fn User32(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}
}

const MessageMap* CWnd::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = { { 0, 0, 0, nullptr } };
    static const MessageMap map = { nullptr, entries };
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

CWnd::~CWnd()
{
    if (!m_hWnd)
        return;
    HWND hWnd = Detach();
    if (::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = HandleMap().find(hWnd);
    return it == HandleMap().end() ? nullptr : it->second;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    HWND hWnd = ::CreateWindowExA(0, className, text, style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(), nullptr);
    return hWnd ? Attach(hWnd) : FALSE;
}

BOOL CWnd::Attach(HWND hWnd)
{
    // One object per window: a second would silently take the first one's messages.
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    m_hWnd = hWnd;
    HandleMap()[hWnd] = this;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (!hWnd)
        return nullptr;
    if (m_pfnSuper && ::IsWindow(hWnd))
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    HandleMap().erase(hWnd);
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StdWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return parent ? SubclassWindow(::GetDlgItem(parent->m_hWnd, id)) : FALSE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

CString CWnd::TextOf(HWND hWnd)
{
    const int length = ::GetWindowTextLengthA(hWnd);
    std::vector<char> buffer(length + 1);
    ::GetWindowTextA(hWnd, buffer.data(), length + 1);
    return CString(buffer.data());
}

bool CWnd::TextFitsCodePage(HWND hWnd)
{
    std::vector<wchar_t> buffer(::GetWindowTextLengthW(hWnd) + 1);
    ::GetWindowTextW(hWnd, buffer.data(), static_cast<int>(buffer.size()));
    CString narrow;
    return ToCodePage(buffer.data(), narrow);
}

UINT CWnd::GetDpi() const
{
    typedef UINT(WINAPI * DpiForWindowFn)(HWND);
    static const DpiForWindowFn forWindow = User32<DpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = forWindow && m_hWnd ? forWindow(m_hWnd) : 0;
    return dpi ? dpi : GetSystemDpi();
}

UINT CWnd::GetSystemDpi()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int CWnd::GetSystemMetricForDpi(int index, UINT dpi)
{
    typedef int(WINAPI * MetricForDpiFn)(int, UINT);
    static const MetricForDpiFn forDpi = User32<MetricForDpiFn>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, dpi) : ::MulDiv(::GetSystemMetrics(index), dpi, GetSystemDpi());
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

void CWnd::PumpWaitingMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                           (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
        if (input && (msg.hwnd == m_hWnd || ::IsChild(m_hWnd, msg.hwnd)))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (!wnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        wnd->OnNcDestroyed();
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result))
        return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

void CWnd::OnNcDestroyed()
{
    Detach();
    // The main window going away ends the application's run.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    PostNcDestroy();   // may delete this object: nothing may follow
}

const MessageMapEntry* CWnd::FindEntry(const MessageMap* map, UINT message, UINT code, UINT id)
{
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const MessageMapEntry* e = map->entries; e->message; ++e) {
            if (e->message == message && e->code == code && e->id == id)
                return e;
        }
    }
    return nullptr;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const MessageMap* map = GetMessageMap();
    const MessageMapEntry* entry = nullptr;
    switch (message) {
    case WM_COMMAND: {
        // Menus send code 0, buttons BN_CLICKED (also 0); other control codes must match exactly.
        entry = FindEntry(map, WM_COMMAND, HIWORD(wParam), LOWORD(wParam));
        break;
    }
    case WM_NOTIFY:
        return OnNotify(wParam, lParam, pResult);
    case WM_CTLCOLORSTATIC: {
        // The control gets the first say over its own colours.
        CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        LRESULT brush = 0;
        if (child && child->OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, &brush) && brush) {
            *pResult = brush;
            return TRUE;
        }
        entry = FindEntry(map, message, 0, 0);
        break;
    }
    default:
        entry = FindEntry(map, message, 0, 0);
        break;
    }
    if (!entry)
        return FALSE;
    *pResult = entry->thunk(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    const MessageMapEntry* entry =
        FindEntry(GetMessageMap(), WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom));
    if (!entry)
        return FALSE;
    *pResult = entry->thunk(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::UpdateDialogControls(CWnd* pTarget, BOOL disableIfNoHandler)
{
    const MessageMap* map = pTarget->GetMessageMap();
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        CCmdUI ui;
        ui.m_nID = static_cast<UINT>(::GetDlgCtrlID(child));
        ui.m_hWnd = child;
        if (const MessageMapEntry* e = FindEntry(map, WM_COMMAND, CN_UPDATE_COMMAND_UI, ui.m_nID))
            e->thunk(pTarget, 0, reinterpret_cast<LPARAM>(&ui));
        else if (disableIfNoHandler && !FindEntry(map, WM_COMMAND, 0, ui.m_nID))
            ui.Enable(FALSE);
    }
}

void CWnd::RepositionBars(UINT first, UINT last)
{
    SizeParentParams params;
    ::GetClientRect(m_hWnd, &params.rect);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
        if (id >= first && id <= last)
            ::SendMessageA(child, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&params));
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& ctl)
{
    if (!ctl.m_hWnd)
        ctl.SubclassWindow(pDX->m_pDlgWnd->GetDlgItem(id));
}

void DDX_Text(CDataExchange* pDX, int id, CString& value)
{
    HWND control = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!control)
        return;
    const CString shown = CWnd::TextOf(control);
    if (pDX->m_bSaveAndValidate)
        value = shown;
    else if (shown != value)
        ::SetWindowTextA(control, value);
}
