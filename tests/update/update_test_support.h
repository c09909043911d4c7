#pragma once
// What the update tests share: a fresh folder per test, whole-file byte reads
// and writes, and test bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/temp_dir.h"

namespace zorbel::update::test {

using zorbel::test::readBytes;
using zorbel::test::TempDir;
using zorbel::test::writeBytes;

// Bytes that differ from page to page and from offset to offset, without 0 in
// the low range so a zero tail stands out.
inline std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t salt = 0) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>(1 + (i * 7 + i / 251 + salt) % 254);
  return bytes;
}

}  // namespace zorbel::update::test
