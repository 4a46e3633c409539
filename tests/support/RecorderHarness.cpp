#include "RecorderHarness.h"
#include <vector>

void RecorderHarness::ReleaseSlider(HWND h)
{
    NMHDR header = { ::GetDlgItem(h, IDC_SLIDER), IDC_SLIDER, static_cast<UINT>(NM_RELEASEDCAPTURE) };
    ::SendMessageA(h, WM_NOTIFY, IDC_SLIDER, reinterpret_cast<LPARAM>(&header));
}

std::string RecorderHarness::Status(HWND h)
{
    HWND bar = ::GetDlgItem(h, IDC_STATUSBAR);
    const LRESULT length = ::SendMessageA(bar, SB_GETTEXTLENGTHA, 0, 0);
    std::vector<char> text(LOWORD(length) + 1);
    ::SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::string RecorderHarness::Selected(HWND h, int comboId)
{
    const LRESULT index = ::SendDlgItemMessageA(h, comboId, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return "(none)";
    char text[64] = "";
    ::SendDlgItemMessageA(h, comboId, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}


void RecorderHarness::Click(CRecorderDlg& window, UINT id)
{
    window.m_wndToolBar.CheckButton(id, !window.m_wndToolBar.IsButtonChecked(id));
    Command(window.m_hWnd, id);
}

bool RecorderHarness::Pressed(UINT id) const
{
    return dlg.m_wndToolBar.IsButtonChecked(id);
}
