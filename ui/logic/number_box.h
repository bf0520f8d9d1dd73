// The numbers the effect dialogs' edit boxes hold: whole numbers and decimals read from
// what the user typed, and written back the way a box shows them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vornel {

// A whole number with an optional sign, blanks allowed around it. Values beyond the
// 32-bit range saturate at its ends, as the C library's strtol does. Nothing for an
// empty box, a lone sign or any other character.
std::optional<std::int32_t> parseIntegerBox(const std::string& text);

// A decimal number ("2.57", "-.5", "1e3"), blanks allowed around it, read the same way
// whatever the process's locale. Nothing for an empty box, a lone sign or point,
// anything else, or a value too large for a double.
std::optional<double> parseDecimalBox(const std::string& text);

std::string integerBoxText(std::int64_t value);
// Up to 15 significant digits, without trailing zeros: 0.1 shows as "0.1", 10 as "10".
std::string decimalBoxText(double value);

// trunc(value), saturating at the 32-bit range (0 for NaN).
std::int32_t truncToInt32(double value);

}  // namespace vornel
