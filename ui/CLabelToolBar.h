#pragma once
#include "CWnd.h"

// Placeholder until the labelled toolbar lands: a window slot with no behaviour yet.
class CLabelToolBar : public CWnd {
};
