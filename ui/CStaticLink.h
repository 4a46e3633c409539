#pragma once
#include "CStatic.h"

// Placeholder until the hyperlink label lands: holds its target only.
class CStaticLink : public CStatic {
public:
    CStaticLink(const char* link = nullptr, BOOL deleteSelf = FALSE) : m_strLink(link), m_bDeleteSelf(deleteSelf) {}
    CString m_strLink;
    BOOL m_bDeleteSelf;
};
