#pragma once
// The program's colours on screen. Like the system's GetSysColor, the
// palette in use is one call away from any window that paints; the light
// and high-contrast palettes leave the system's own drawing alone, the
// dark one paints what the system would draw light.
#include <windows.h>

#include "base/Palette.h"

namespace lark::win {

const Palette& CurrentColours();
// A solid brush of a colour; kept for the rest of the run (three palettes
// hold a few dozen colours at most).
HBRUSH ColourBrush(Colour colour);

// The program takes these colours: every window of this thread follows at
// once (captions, tooltips, controls, a repaint).
void UseColours(const Palette& palette);
// Forwards WM_SYSCOLORCHANGE to a window's controls, which keep copies of
// the system's colours.
void ForwardSystemColours(HWND parent);

// A new top-level window takes the colours in use: its caption, a
// tooltip's colours, its buttons' and edits' themes. Forms call it when
// they are made and first shown.
void ColourWindow(HWND window);
// The dark palette's answers to WM_ERASEBKGND and WM_CTLCOLOR* for a
// window with dialog controls; false (the default handling) otherwise.
bool AnswerColours(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
// A dialog (of a template, a message box, a window of our own) follows
// the colours for the rest of its life; its tab controls with it.
void FollowColours(HWND dialog);

// While alive, the message boxes this thread shows follow the colours.
class ColouredMessageBoxes {
public:
    ColouredMessageBoxes();
    ~ColouredMessageBoxes();
    ColouredMessageBoxes(const ColouredMessageBoxes&) = delete;
    ColouredMessageBoxes& operator=(const ColouredMessageBoxes&) = delete;

private:
    HHOOK hook_ = nullptr;
};

// A tab control drawn whole in the dark palette: the strip, the tabs (the
// selected one, one highlighted from 1, 0 for none), their captions and the
// page below in `page`.
void PaintTabs(HWND tabs, HDC dc, int highlighted, Colour page);

}  // namespace lark::win
