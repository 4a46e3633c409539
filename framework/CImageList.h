#pragma once
#include <windows.h>
#include <commctrl.h>
#include <utility>

// An image list owned by its object: destroyed with it.
class CImageList {
public:
    HIMAGELIST m_hImageList = nullptr;

    CImageList() {}
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow)
    {
        DeleteImageList();
        m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
        return m_hImageList != nullptr;
    }
    int Add(HBITMAP bitmap, COLORREF mask) { return ImageList_AddMasked(m_hImageList, bitmap, mask); }
    // Trades lists with other, so that a list in use can be replaced before it is destroyed.
    void Swap(CImageList& other) { std::swap(m_hImageList, other.m_hImageList); }
    BOOL DeleteImageList()
    {
        if (!m_hImageList)
            return FALSE;
        ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
        return TRUE;
    }
};
