#pragma once
#include "CToolBar.h"

// The main window's toolbar: each button is labelled with the short name of its command
// string, and every button is sized for the largest label.
class CLabelToolBar : public CToolBar {
public:
    ~CLabelToolBar() override {}

    // Loads the layout and bitmap `id`, labels the buttons and sizes them; FALSE when the
    // resources cannot be loaded (then nothing is labelled).
    BOOL LoadLabeledToolBar(UINT id);

    // The label of a command string "prompt\nshort name": its last non-empty piece between
    // line feeds; "" when there is none.
    static CString LabelOf(const CString& commandString);

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
