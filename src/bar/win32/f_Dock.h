#pragma once
// The docked bar: the appbar window at a screen edge, a row at the top or
// bottom, a column at the left or right. It carries the same sections and
// buttons as the floating window.
#include "bar/BarArrangement.h"
#include "bar/win32/BarForm.h"

namespace lark::win {

class f_Dock : public BarForm, public IDockedBar {
public:
    f_Dock(FormRegistry& registry, App& app, BarImageLists lists, IBarHost& host)
        : BarForm(registry, app, lists, host, BarKind::Docked) {}

    // Loads the window without showing it and prepares its appbar record.
    void Load();

    // IDockedBar
    RectPx Bounds() const override { return WindowBounds(); }
    void Show() override;
    void Hide() override;
    void Place(int32_t x, int32_t y, int32_t width, int32_t height, Flags flags) override;
    void MakeTopmost() override;
    void DropTopmost() override;
    void EnableHideTimer(bool enabled) override;
    void SetPlacement(const WindowPlacement& placement) override;
    bool InUse() const override;
    void SetColumn(bool column) override;

    // The message the shell's appbar notifications arrive with.
    static constexpr UINT kAppBarCallback = WM_APP + 1;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUnload(bool& cancel) override;
    void OnDpiChanged(UINT dpi, const RECT* suggested) override;

    void OnTabMouseDown(const MouseArgs& args) override;
    void OnTabMouseUp(const MouseArgs& args) override;
    void OnTabMouseMove(const MouseArgs& args) override;
    void OnTabMouseEnter(const MouseArgs& args) override;
    void OnToolbarMouseMove(int32_t toolbarIndex, const MouseArgs& args) override;
    void OnDragOverBar() override;
    void OnButtonDrag(int32_t toolbarIndex, const std::string& key) override;

private:
    bool menuOpen_ = false;
    bool draggingButton_ = false;
};

}  // namespace lark::win
