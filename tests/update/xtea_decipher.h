#pragma once
// The inverse of the product's enciphering; only the tests need it, to show
// the device can get the image back.
#include <cstdint>
#include <span>

#include "update/xtea.h"

namespace zorbel::update::test {

inline void decipherBlock(std::span<std::uint8_t, 8> block, const UpdateKey& key) {
  auto load = [&](std::size_t at) {
    return std::uint32_t{block[at]} | std::uint32_t{block[at + 1]} << 8 |
           std::uint32_t{block[at + 2]} << 16 | std::uint32_t{block[at + 3]} << 24;
  };
  auto store = [&](std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) block[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  std::uint32_t y = load(0), z = load(4);
  std::uint32_t sum = 0xC6EF3720u;
  for (int i = 0; i < 32; ++i) {
    z -= (((y << 4) ^ (y >> 5)) + y) ^ (sum + key[(sum >> 11) & 3u]);
    sum -= 0x9E3779B9u;
    y -= (((z << 4) ^ (z >> 5)) + z) ^ (sum + key[sum & 3u]);
  }
  store(0, y);
  store(4, z);
}

inline void decipherBuffer(std::span<std::uint8_t> bytes, const UpdateKey& key) {
  for (std::size_t at = 0; at + 8 <= bytes.size(); at += 8)
    decipherBlock(bytes.subspan(at).first<8>(), key);
}

}  // namespace zorbel::update::test
