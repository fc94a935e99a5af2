#pragma once
// Conversions at the edge between the core's UTF-8 and Windows' UTF-16 and
// ANSI code page.
#include <string>

namespace lark::win {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// Through the system's ANSI code page, as the catalogue files are stored.
std::string ToAnsi(const std::string& utf8);
std::string FromAnsi(const std::string& ansi);

}  // namespace lark::win
