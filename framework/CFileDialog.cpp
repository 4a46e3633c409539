#include "CFileDialog.h"
#include "CWinApp.h"
#include "UiSeam.h"
#include <cwchar>
#include <vector>

namespace {
// Wine's chooser builds the chosen path in a MAX_PATH buffer on its stack and crashes the
// program on a longer one, so its OK command is guarded: such a name gets a word instead.
const char CHOOSER_PROC[] = "VorselChooserProc";

bool ChosenPathTooLong(HWND chooser)
{
    wchar_t folder[MAX_PATH] = L"";
    std::vector<wchar_t> name(32768);
    ::SendMessageW(chooser, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    ::SendMessageW(chooser, CDM_GETSPEC, name.size(), reinterpret_cast<LPARAM>(name.data()));
    // Measured as the chooser joins them, before it resolves "..": that joined text is what
    // must fit. A name starting with '/' is joined too, as the chooser counts it relative;
    // one starting with '\\' gets the folder's drive ("C:") put before it.
    const size_t length = lstrlenW(name.data());
    const bool drive = name[0] != L'\0' && name[1] == L':';
    const size_t joined = drive ? length : name[0] == L'\\' ? 2 + length : lstrlenW(folder) + 1 + length;
    return joined >= MAX_PATH;
}

LRESULT CALLBACK GuardedChooserProc(HWND chooser, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC original = reinterpret_cast<WNDPROC>(::GetPropA(chooser, CHOOSER_PROC));
    if (msg == WM_COMMAND && LOWORD(wParam) == IDOK && ChosenPathTooLong(chooser)) {
        UiMessageBox(chooser, "The file name is too long.\nChoose a shorter name or a folder nearer the top.",
                     "File Name Too Long", MB_ICONWARNING);
        return 0;
    }
    if (msg == WM_NCDESTROY)
        ::RemovePropA(chooser, CHOOSER_PROC);
    return ::CallWindowProcW(original, chooser, msg, wParam, lParam);
}

UINT_PTR CALLBACK GuardChooser(HWND hook, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        HWND chooser = ::GetParent(hook);
        const LONG_PTR original =
            ::SetWindowLongPtrW(chooser, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GuardedChooserProc));
        ::SetPropA(chooser, CHOOSER_PROC, reinterpret_cast<HANDLE>(original));
    }
    return 0;
}
} // namespace

CFileDialog::CFileDialog(const char* defaultExtension, const char* fileName, DWORD flags, const char* filter,
                         CWnd* parent)
    : m_ofn(), m_strFilter(FromCodePage(filter ? filter : "")),
      m_strDefaultExtension(FromCodePage(defaultExtension ? defaultExtension : "")),
      m_szFileName(), m_szFileTitle(), m_pParentWnd(parent)
{
    for (wchar_t& c : m_strFilter)
        if (c == L'|')
            c = L'\0';
    if (fileName)
        lstrcpynW(m_szFileName, FromCodePage(fileName).data(), MAX_PATH);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFilter = filter ? m_strFilter.data() : nullptr;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof m_szFileTitle / sizeof m_szFileTitle[0];
    m_ofn.lpstrDefExt = defaultExtension ? m_strDefaultExtension.data() : nullptr;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    m_ofn.lpfnHook = GuardChooser;
}

void CFileDialog::SetInitialFolder(const char* folder)
{
    m_strInitialFolder = FromCodePage(folder);
    m_ofn.lpstrInitialDir = m_strInitialFolder.data();
}

INT_PTR CFileDialog::DoModal()
{
    // With no owner given the main window owns the chooser and stays disabled while it is up.
    CWinApp* app = AfxGetApp();
    CWnd* owner = m_pParentWnd ? m_pParentWnd : (app ? app->m_pMainWnd : nullptr);
    m_ofn.hwndOwner = owner ? owner->m_hWnd : nullptr;
    const BOOL chosen = UiGetSaveFileName(&m_ofn);
    // A chooser that filled the whole buffer left no end to the name: what would be read as
    // the name runs on into other memory, so nothing was chosen.
    if (chosen && !std::wmemchr(m_szFileName, L'\0', MAX_PATH)) {
        m_szFileName[0] = L'\0';
        return IDCANCEL;
    }
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const
{
    CString path;
    ToCodePage(m_szFileName, path);
    return path;
}

BOOL CFileDialog::PathNameFitsCodePage() const
{
    CString path;
    return ToCodePage(m_szFileName, path);
}
