#pragma once
// A set of lines of one text, at most one per name: the first line of each
// name is the one kept. Names match without regard to ASCII letter case. A
// slot holds a line's 4-byte offset and nothing else; a name is read back from
// the text whenever it is compared, so the table costs a few bytes per distinct
// name however long the lines are.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zorbel::cfgfile {

class LineNameTable {
 public:
  using Offset = std::uint32_t;
  // No line starts here: every text the table indexes is shorter.
  static constexpr Offset kNoLine = UINT32_MAX;

  // Adds the line at `line`, named `name`, unless a line of that name is in
  // already. `nameAt(offset)` gives the name of a line in the table.
  template <class NameAt>
  void insert(Offset line, std::string_view name, const NameAt& nameAt) {
    if ((count_ + 1) * 4 > slots_.size() * 3) grow(nameAt);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hashOf(name) & mask;; i = (i + 1) & mask) {
      if (slots_[i] == kNoLine) {
        slots_[i] = line;
        ++count_;
        return;
      }
      if (sameName(nameAt(slots_[i]), name)) return;
    }
  }

  // The first line named `name`.
  template <class NameAt>
  std::optional<Offset> find(std::string_view name, const NameAt& nameAt) const {
    if (slots_.empty()) return std::nullopt;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hashOf(name) & mask; slots_[i] != kNoLine; i = (i + 1) & mask)
      if (sameName(nameAt(slots_[i]), name)) return slots_[i];
    return std::nullopt;
  }

  static bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (fold(a[i]) != fold(b[i])) return false;
    return true;
  }

 private:
  static unsigned char fold(char c) {
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  // FNV-1a over the folded bytes, then mixed so that the low bits used as an
  // index depend on every byte.
  static std::size_t hashOf(std::string_view name) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : name) h = (h ^ fold(c)) * 1099511628211ull;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return static_cast<std::size_t>(h);
  }
  template <class NameAt>
  void grow(const NameAt& nameAt) {
    std::vector<Offset> old(slots_.empty() ? 16 : slots_.size() * 2, kNoLine);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Offset line : old) {
      if (line == kNoLine) continue;
      std::size_t i = hashOf(nameAt(line)) & mask;
      while (slots_[i] != kNoLine) i = (i + 1) & mask;
      slots_[i] = line;
    }
  }

  std::vector<Offset> slots_;  // a power of two in size, at most three quarters used
  std::size_t count_ = 0;
};

}  // namespace zorbel::cfgfile
