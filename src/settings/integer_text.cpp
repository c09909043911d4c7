#include "integer_text.h"

namespace zorbel::settings {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> parseInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  text.remove_prefix(i);
  if (text.empty()) return std::nullopt;

  bool hex = false;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    hex = true;
    text.remove_prefix(2);
  } else if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') {
    hex = true;
    text.remove_prefix(1);
  }

  if (hex) {
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
      int d = hexDigit(c);
      if (d < 0) return std::nullopt;
      value = value * 16 + d;
      if (value > INT32_MAX) return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
  }

  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::string conversionErrorMessage(std::string_view text) {
  std::string message;
  message.reserve(text.size() + 32);
  message.push_back('\'');
  message.append(text);
  message.append("' is not a valid integer value");
  return message;
}

}  // namespace zorbel::settings
