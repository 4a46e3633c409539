#pragma once
// Runs a real dialog modally and executes a test body inside its modal loop, then ends it.
#include "CDialog.h"
#include <functional>
#include <string>
#include <vector>

// body runs once the dialog is up; the dialog is ended afterwards if the body left it open.
// A dialog that ends before the body could run fails the test. Returns what DoModal returned.
INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& body);
// Dispatches this thread's messages for about ms milliseconds.
void PumpMessages(DWORD ms);
// Pumps until done() is true or ms pass; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD ms);
// A press of the left button on a text label, just inside its top-left corner.
void ClickLabel(HWND label);
using Pixels = std::vector<std::vector<COLORREF>>;
// What a window paints of its client area over a plain ground: its pixels, row by row.
Pixels Picture(HWND window, COLORREF ground);
// A rectangle of what a device context holds, e.g. the screen's.
Pixels PixelsOf(HDC dc, int x, int y, int width, int height);
// A bitmap among this program's resources (the test programs carry the program's).
Pixels ResourceBitmap(UINT id);
// Whether picture `index` of a strip of square pictures shows inside `box`, every pixel of it
// but the transparent magenta ones; `at` gets its top-left corner.
bool ShowsPicture(const Pixels& shown, const RECT& box, const Pixels& strip, int index, POINT& at);
// A child window's rectangle in its parent's client coordinates.
RECT RectIn(HWND parent, HWND child);
// The text of a window (e.g. a control of the dialog).
std::string TextOf(HWND hWnd);
std::string ItemText(HWND dialog, int id);
// The texts of a dialog's plain text labels that do not fit their boxes in the box's own
// font: a label cut in the middle of a word says something else.
std::vector<std::string> CutLabels(HWND dialog);
