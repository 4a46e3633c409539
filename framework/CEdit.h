#pragma once
#include "CWnd.h"

class CEdit : public CWnd {
public:
    // Whether the user has changed the text since the program last set it.
    BOOL GetModify() const { return SendMessage(EM_GETMODIFY) != 0; }
    void SetModify(BOOL modified = TRUE) { SendMessage(EM_SETMODIFY, modified); }
};
