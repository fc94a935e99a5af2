#pragma once
// Conversions at the edge between the core's UTF-8 and Windows' UTF-16.
#include <string>

namespace lark::win {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace lark::win
