#include "base/Texts.h"

#include <vector>

namespace lark {
namespace {

const ITextSource* g_source = nullptr;

}  // namespace

void UseTexts(const ITextSource* source) { g_source = source; }

std::string Text(int id) { return g_source ? g_source->Load(id) : std::string(); }

std::string Text(int id, std::initializer_list<std::string_view> arguments) { return FillIn(Text(id), arguments); }

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> arguments) {
    const std::vector<std::string_view> args(arguments);
    std::string out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const char next = pattern[i + 1];
        if (next == '%') {
            out += '%';
            ++i;
        } else if (next >= '1' && next <= '9' && static_cast<size_t>(next - '1') < args.size()) {
            out += args[static_cast<size_t>(next - '1')];
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace lark
