#pragma once
// Stands in for message boxes, the shell and the save chooser: records what would have been
// shown or opened, and answers the chooser from the test's script.
#include "UiSeam.h"
#include <deque>
#include <string>
#include <vector>

struct ShownBox {
    HWND owner;
    std::string text, caption;
    UINT type;
    bool ownerShown;   // the owner was on the screen when the box came
};

struct ShellCall {
    HWND owner;
    std::string verb, file, parameters, directory;
    INT show;
};

class RecordingUiSeam : public IUiSeam {
public:
    int ShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
    HINSTANCE OpenWithShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                            INT show) override;
    BOOL RunSaveChooser(OPENFILENAMEW* ofn) override;

    std::vector<ShownBox> boxes;
    // Answers to Yes/No(/Cancel) questions, in turn; with none left the user says Yes.
    std::deque<int> answers;
    std::vector<ShellCall> shellCalls;
    HINSTANCE shellResult = reinterpret_cast<HINSTANCE>(42);   // > 32: success
    // The chooser's answer, in UTF-8 (any name a user can type): empty means the user cancelled.
    std::string chooserAnswer;
    bool chooserFillsWholeBuffer = false;   // as a chooser that overran it: no end to the name
    std::vector<OPENFILENAMEW> choosers;   // copies of what the chooser was given
    std::vector<std::string> chooserFilters;
    std::vector<std::string> chooserInitialDirs;
};

class ScopedUiSeam {
public:
    explicit ScopedUiSeam(IUiSeam* seam) : m_previous(SetUiSeam(seam)) {}
    ~ScopedUiSeam() { SetUiSeam(m_previous); }
private:
    IUiSeam* m_previous;
};
