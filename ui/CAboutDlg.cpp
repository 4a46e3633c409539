#include "CAboutDlg.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent), m_linkProduct(nullptr, FALSE) {}

BOOL CAboutDlg::OnInitDialog()
{
    m_linkProduct.SubclassDlgItem(IDC_PRODUCTLINK, this);
    m_linkProduct.m_strLink = VORSEL_PRODUCT_PAGE;
    CDialog::OnInitDialog();
    return TRUE;   // the focus goes to "Ok"
}

BOOL CAboutDlg::OnHelpInfo(HELPINFO*)
{
    return FALSE;   // there is no help file, and the request is not passed on to the owner
}
