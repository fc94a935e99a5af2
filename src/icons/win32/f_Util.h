#pragma once
// The hidden utility window: home of the drawing surfaces that icon pictures
// are rendered on, and of the image lists and menu that come with it.
#include "app/win32/Form.h"
#include "app/win32/Handles.h"
#include "icons/win32/KeyedImageList.h"

namespace lark::win {

// A square 32-bit drawing surface with alpha.
struct DrawingSurface {
    UniqueMemoryDc dc;
    UniqueBitmap bitmap;
    HGDIOBJ original = nullptr;
    int sizePx = 0;

    void Resize(int pixels);
    void Release();
};

class f_Util : public Form {
public:
    explicit f_Util(FormRegistry& registry) : Form(registry) {}
    ~f_Util() override;

    void Load();
    // picLarge 32 x 32 pixels, picSmall 16 x 16.
    void SizeDrawingSurfaces();

    const DrawingSurface& picLarge() const { return picLarge_; }
    const DrawingSurface& picSmall() const { return picSmall_; }

    KeyedImageList imgSmall{16};
    KeyedImageList imlToolbarIcons{32};

private:
    DrawingSurface picLarge_;
    DrawingSurface picSmall_;
};

}  // namespace lark::win
