#pragma once
// Text <-> number and Boolean conversions with the rules stored settings rely
// on: blanks around a number are allowed, a fraction rounds to the nearest
// whole number with halves going to the even neighbour, and a value outside
// the target type is an overflow (error 6). Unreadable text is a type
// mismatch (error 13).
#include <cstdint>
#include <optional>
#include <string>

namespace lark {

// Decimal numbers ("12", " -3.5 ", "1,000", "2E3") and &H / &O literals.
std::optional<double> ParseNumber(const std::string& text);

int16_t ToInt16(const std::string& text);
int32_t ToInt32(const std::string& text);
// "True"/"False" in any letter case, or a number (0 is false).
bool ToBool(const std::string& text);

// Whole numbers without a fraction, others with as many digits as they need
// ("5760", "5752.5").
std::string FormatNumber(double value);
std::string FormatBool(bool value);

// Rounds to the nearest whole number, halves to even.
double RoundHalfEven(double value);

}  // namespace lark
