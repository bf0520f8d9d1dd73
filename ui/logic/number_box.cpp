#include "ui/logic/number_box.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace vornel {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// The text without the blanks around it.
std::string_view trimmed(const std::string& text) {
  std::size_t lo = 0, hi = text.size();
  while (lo < hi && isBlank(text[lo])) ++lo;
  while (hi > lo && isBlank(text[hi - 1])) --hi;
  return std::string_view(text).substr(lo, hi - lo);
}

}  // namespace

std::optional<std::int32_t> parseIntegerBox(const std::string& text) {
  std::string_view s = trimmed(text);
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  // Accumulated as a magnitude and capped just past the 32-bit range, so any number
  // of digits is read without overflow.
  constexpr std::int64_t kCap = std::int64_t{1} << 32;
  std::int64_t magnitude = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = std::min(kCap, magnitude * 10 + (c - '0'));
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(value, kMin, kMax));
}

std::optional<double> parseDecimalBox(const std::string& text) {
  std::string_view s = trimmed(text);
  // from_chars takes no leading plus sign; a minus it reads itself.
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  if (s.empty() || s[0] == '+') return std::nullopt;
  double value = 0;
  const auto [end, error] =
      std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
  if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::string integerBoxText(std::int64_t value) {
  return std::to_string(value);
}

std::string decimalBoxText(double value) {
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (error != std::errc()) return "0";
  std::string text(buffer, end);
  return text == "-0" ? "0" : text;
}

std::int32_t truncToInt32(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::trunc(std::clamp(value, kMin, kMax)));
}

}  // namespace vornel
