#pragma once
// What assistive technology reads of a window the bar draws itself: the
// object the system makes for it, with the window's own name, role and
// value, and an element drawn inside it (a toolbar's chevron) as one more
// child after the system's.
#include <windows.h>

#include <string>

namespace lark::win {

// Fixed when the object is made: text ids (base/TextIds.h), 0 for none.
struct AccessibleText {
    int name = 0;  // 0: the system's
    long role = 0;  // 0: the system's
    int drawnName = 0;  // the element drawn inside; 0: none
    int drawnAction = 0;
};

// What the object asks its window while it is read, with AccessibleQuery()
// as the message: by message, so that an object a reader still holds after
// the window has gone reads nothing. wParam is what is asked.
enum AccessibleAsk : WPARAM {
    kAskValue = 1,        // lParam a std::wstring* to fill; TRUE when the window has a value
    kAskDrawnPlace = 2,   // lParam a RECT* to fill in screen pixels; TRUE while the element shows
    kAskDrawnAction = 3,  // posted: do the element's default action
};
UINT AccessibleQuery();

// The answer to WM_GETOBJECT: the window's client object with its texts;
// 0, the system's own, for any other object or where oleacc is missing.
LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, const AccessibleText& text);

}  // namespace lark::win
