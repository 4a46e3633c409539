#pragma once
#include "CToolBar.h"

// The main window's toolbar: each button is labelled with the short name of its command
// string, and every button is sized for the largest label.
class CLabelToolBar : public CToolBar {
public:
    ~CLabelToolBar() override {}

    // The pictures' size and the room added around the control's own measure of the largest
    // labelled button, at 96 DPI; the window scales both for its own.
    static constexpr SIZE IMAGE = { 24, 24 };
    static constexpr SIZE ROOM = { 2, 4 };

    // Loads the layout and bitmap `id`, labels the buttons and sizes them (FitButtons); FALSE
    // when the resources cannot be loaded (then nothing is labelled).
    BOOL LoadLabeledToolBar(UINT id, SIZE image = IMAGE, SIZE room = ROOM);
    // Gives every button the size of the largest labelled one around pictures of `image`, as
    // the control measures it in its font now, plus `room`.
    void FitButtons(SIZE image, SIZE room);

    // The label of a command string "prompt\nshort name": its last non-empty piece between
    // line feeds; "" when there is none.
    static CString LabelOf(const CString& commandString);

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
