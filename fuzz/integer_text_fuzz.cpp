// The strict integer conversion against a small reference model of its rules.
#include <cstdint>
#include <optional>
#include <string>

#include "settings/integer_text.h"

namespace {

std::optional<std::int64_t> reference(std::string s) {
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  s = s.substr(i);
  int base = 10;
  bool negative = false;
  for (const char* prefix : {"0x", "0X", "$", "x", "X"}) {
    if (s.rfind(prefix, 0) == 0) {
      base = 16;
      s = s.substr(std::string(prefix).size());
      break;
    }
  }
  if (base == 10 && !s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s = s.substr(1);
  }
  if (s.empty()) return std::nullopt;
  __int128 v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return std::nullopt;
    v = v * base + d;
    if (v > (static_cast<__int128>(1) << 40))
      v = static_cast<__int128>(1) << 40;  // far out of range either way
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<std::int64_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto got = zorbel::settings::parseInteger(text);
  const auto want = reference(text);
  if (got.has_value() != want.has_value()) __builtin_trap();
  if (got && *got != *want) __builtin_trap();
  return 0;
}
