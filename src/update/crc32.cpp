#include "crc32.h"

#include <array>

namespace zorbel::update {
namespace {

constexpr std::array<std::uint32_t, 256> makeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    table[i] = c;
  }
  return table;
}

constexpr auto kTable = makeTable();
static_assert(kTable[1] == 0x77073096u && kTable[255] == 0x2D02EF8Du);

}  // namespace

std::uint32_t crcRegister(std::span<const std::uint8_t> bytes) {
  std::uint32_t reg = 0xFFFFFFFFu;
  for (const std::uint8_t b : bytes) reg = (reg >> 8) ^ kTable[(reg ^ b) & 0xFFu];
  return reg;
}

}  // namespace zorbel::update
