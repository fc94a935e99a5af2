#pragma once
// The small box on a bar window that shows the text typed to find a
// program; hidden while nothing is typed.
#include <windows.h>

#include <string>

#include "base/win32/Handles.h"

namespace lark::win {

class FindBox {
public:
    explicit FindBox(HWND parent);
    ~FindBox();
    FindBox(const FindBox&) = delete;
    FindBox& operator=(const FindBox&) = delete;

    // An empty text hides the box; unmatched text shows greyed.
    void Show(const std::string& text, bool matched);
    // Keeps the box at the right end of the given area (parent client
    // pixels), above the toolbars; wide, it may take the area's whole width
    // (a column's list), else half of it at most.
    void Place(const RECT& area, bool wide = false);
    HWND Handle() const { return hwnd_.get(); }
    // The bar window's DPI: the message font and the box's margins at it.
    void SetDpi(UINT dpi);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void Fit();
    int Px(int at96) const;

    UniqueFont font_;
    UINT dpi_;
    UniqueWindow hwnd_;
    std::wstring text_;
    bool matched_ = true;
    RECT area_{0, 0, 0, 0};
    bool wide_ = false;
};

}  // namespace lark::win
