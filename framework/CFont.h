#pragma once
#include <windows.h>

// A font owned by its object: deleted with it.
class CFont {
public:
    HFONT m_hObject = nullptr;

    CFont() {}
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    HFONT GetSafeHandle() const { return m_hObject; }
    operator HFONT() const { return m_hObject; }

    BOOL CreateFontIndirect(const LOGFONTA* logFont)
    {
        DeleteObject();
        m_hObject = ::CreateFontIndirectA(logFont);
        return m_hObject != nullptr;
    }
    BOOL DeleteObject()
    {
        if (!m_hObject)
            return FALSE;
        ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return TRUE;
    }
};
