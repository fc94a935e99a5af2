#pragma once
// The bar's own texts by their ids (base/TextIds.h), in the language chosen
// at start. The core asks here; the Win32 layer answers from the resources.
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/TextIds.h"

namespace lark {

class ITextSource {
public:
    virtual ~ITextSource() = default;
    // The text with this id, UTF-8; empty when there is none.
    virtual std::string Load(int id) const = 0;
};

// Installed once, before the first window; the source outlives every call.
void UseTexts(const ITextSource* source);

std::string Text(int id);
// The text with %1..%9 filled in.
std::string Text(int id, std::initializer_list<std::string_view> arguments);

// %1..%9 replaced in one pass, so an argument's own "%2" stays as it is;
// "%%" is "%", and a number with no argument stays as written.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> arguments);

}  // namespace lark
