#include "CDialog.h"
#include "CWinApp.h"
#include <cstring>

// Initialisation data of a template stores list entries with the 16-bit add-string codes.
const WORD DLGINIT_LB_ADDSTRING = 0x0401;
const WORD DLGINIT_CB_ADDSTRING = 0x0403;
const LPCSTR RT_DLGINIT_TYPE = MAKEINTRESOURCEA(240);

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal()
{
    // With no parent given the application's main window owns the dialog (and is disabled).
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    CWinApp* app = AfxGetApp();
    if (!owner && app && app->m_pMainWnd && app->m_pMainWnd != this)
        owner = app->m_pMainWnd->m_hWnd;
    // A Unicode dialog: its text fields hold whatever is typed, pasted or dictated into them,
    // so that a name the system's code page cannot hold is found and refused, not turned into
    // a look-alike on the way in. The program's own texts still go through the 8-bit calls.
    return ::DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), owner,
                             &CDialog::DlgProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result)
{
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog()
{
    if (!ExecuteDlgInit()) {
        EndDialog(-1);
        return FALSE;
    }
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::ExecuteDlgInit()
{
    HINSTANCE instance = AfxGetInstanceHandle();
    HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(m_nIDTemplate), RT_DLGINIT_TYPE);
    if (!found)
        return TRUE;   // a template without initialisation data
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(instance, found)));
    const DWORD size = ::SizeofResource(instance, found);
    if (!data)
        return FALSE;
    // Records: control id (16), message (16), byte count (32), bytes; a zero id ends them.
    // Records follow each other unaligned, so fields are copied out, not dereferenced.
    DWORD at = 0;
    while (at + 2 <= size) {
        WORD id = 0, message = 0;
        DWORD length = 0;
        std::memcpy(&id, data + at, sizeof id);
        if (id == 0)
            return TRUE;
        if (at + 8 > size)
            return FALSE;
        std::memcpy(&message, data + at + 2, sizeof message);
        std::memcpy(&length, data + at + 4, sizeof length);
        at += 8;
        if (length > size - at)
            return FALSE;
        const CString text(std::string(reinterpret_cast<const char*>(data + at), length).c_str());
        UINT translated = message;
        if (message == DLGINIT_CB_ADDSTRING)
            translated = CB_ADDSTRING;
        else if (message == DLGINIT_LB_ADDSTRING)
            translated = LB_ADDSTRING;
        if (::SendDlgItemMessageA(m_hWnd, id, translated, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0)
            return FALSE;
        at += length;
    }
    return TRUE;
}

void CDialog::KeepFromDpiScaling(HWND child)
{
    typedef BOOL(WINAPI * BehaviorFn)(HWND, DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS, DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS);
    static const BehaviorFn behavior = reinterpret_cast<BehaviorFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("user32.dll"), "SetDialogControlDpiChangeBehavior")));
    const auto leave = static_cast<DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS>(DCDC_DISABLE_FONT_UPDATE | DCDC_DISABLE_RELAYOUT);
    if (behavior && child)
        behavior(child, leave, leave);
}

void CDialog::CenterWindow()
{
    RECT area;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner))
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT self;
    ::GetWindowRect(m_hWnd, &self);
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = x < work.left ? work.left : x;
    y = y < work.top ? work.top : y;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->Attach(hWnd);
        const BOOL focusDefault = dialog->OnInitDialog();
        if (::IsWindow(hWnd) && !(::GetWindowLongA(hWnd, GWL_STYLE) & DS_CENTER))
            dialog->CenterWindow();
        return focusDefault;
    }
    CDialog* dialog = static_cast<CDialog*>(FromHandlePermanent(hWnd));
    if (!dialog)
        return FALSE;
    const INT_PTR handled = dialog->HandleDialogMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        dialog->OnNcDestroyed();
    return handled;
}

INT_PTR CDialog::HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        return FALSE;
    switch (message) {
    case WM_DPICHANGED:
        return FALSE;   // the dialog manager scales the template's font and controls after us
    case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORMSGBOX:
        return static_cast<INT_PTR>(result);   // these answer with the brush itself
    default:
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
