#pragma once
// The shapes a setting's text must have, shared by the encoder and the
// single-setting check so that both refuse exactly the same texts.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "integer_text.h"

namespace zorbel::settings::shapes {

inline bool digit(char c) { return c >= '0' && c <= '9'; }

// DDMM.mm then N/S (latitude, degrees = 2) or DDDMM.mm then E/W (longitude,
// degrees = 3); the text as typed.
inline bool position(const std::string& t, std::size_t degrees, char a, char b) {
  if (t.size() != degrees + 6) return false;
  for (std::size_t i = 0; i < degrees + 2; ++i)
    if (!digit(t[i])) return false;
  const std::size_t point = degrees + 2;
  return t[point] == '.' && digit(t[point + 1]) && digit(t[point + 2]) &&
         (t[point + 3] == a || t[point + 3] == b);
}

// Printable ASCII only: no control character and no 8-bit character.
inline bool printable(const std::string& text) {
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b > 0x7E;
  });
}

// A guarded SSID box: an integer in 0..15, or nothing.
inline std::optional<std::int32_t> ssid(const std::string& text) {
  const auto v = parseInteger(text);
  if (!v || *v < 0 || *v > 15) return std::nullopt;
  return v;
}

}  // namespace zorbel::settings::shapes
