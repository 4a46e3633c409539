#pragma once
#include "CDialog.h"
#include "CStaticLink.h"

// The About box: icon, name and version, maker, notice and a link to the product's page.
// Each opening builds a new box, so its link starts unvisited every time.
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent = nullptr);

    CStaticLink m_linkProduct;

protected:
    BOOL OnInitDialog() override;
    BOOL OnHelpInfo(HELPINFO* info);

    DECLARE_MESSAGE_MAP()
};
