#pragma once
// What the floating and the docked bar window share: the bar content (tab
// strip and toolbars), its layout, and the input both handle alike.
#include <memory>

#include "app/Program.h"
#include "app/win32/Form.h"
#include "bar/win32/BarContent.h"

namespace lark::win {

class KeyedImageList;

struct BarImageLists {
    const KeyedImageList& small;
    const KeyedImageList& large;
};

class BarForm : public Form, public IBarContentEvents {
public:
    IBarWindow& Content() { return *content_; }
    BarContent& Bar() { return *content_; }

protected:
    BarForm(FormRegistry& registry, App& app, BarImageLists lists)
        : Form(registry), app_(app), lists_(lists) {}

    // Creates the tab strip and Toolbar1(0); call once the window exists.
    void CreateContent();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void LayoutContent();

    void OnTabSelected(int32_t position) override;

    App& app_;

private:
    BarImageLists lists_;
    std::unique_ptr<BarContent> content_;
};

}  // namespace lark::win
