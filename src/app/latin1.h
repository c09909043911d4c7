#pragma once
// The device's texts are 8-bit: widgets hold QStrings, the settings hold bytes.
#include <QString>
#include <string>
#include <string_view>

namespace zorbel::app {

// A byte the settings' character checks refuse, for characters with no 8-bit form.
// It must never be a printable substitute such as '?', which would pass the checks.
inline constexpr char kNoLatin1Form = 0x7F;

inline std::string toBytes(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text)
    out.push_back(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : kNoLatin1Form);
  return out;
}

inline QString fromBytes(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace zorbel::app
