#pragma once
#include "CWnd.h"

// A modal dialog built from a template of the program's resources.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Runs the dialog until it ends; the end code, or -1 when it cannot be created.
    virtual INT_PTR DoModal();
    void EndDialog(INT_PTR result);

protected:
    // Fills lists from the template's initialisation data and binds/shows the data.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Centres on the owner, or on the work area when there is none.
    void CenterWindow();
    // A child that the window sizes and gives its font for the DPI itself: the dialog manager,
    // which scales the template's controls when the DPI changes, is to leave it alone.
    static void KeepFromDpiScaling(HWND child);
    BOOL ExecuteDlgInit();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
