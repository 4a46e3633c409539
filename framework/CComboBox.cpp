#include "CComboBox.h"
#include <vector>

void CComboBox::GetLBText(int index, CString& text) const
{
    const LRESULT length = SendMessage(CB_GETLBTEXTLEN, index);
    if (length == CB_ERR) {
        text.clear();
        return;
    }
    std::vector<char> buffer(length + 1);
    SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    text = buffer.data();
}
