#pragma once
// The pictures of the popup menu, kept with the button pictures.
#include <cstdint>
#include <string>

namespace lark {

// Pictures of the menu, by key ("addsection", ...).
class IMenuImages {
public:
    virtual ~IMenuImages() = default;
    // 0-based index; raises when the key is missing.
    virtual int32_t IndexOf(const std::string& key) = 0;
};

}  // namespace lark
