#include "xtea.h"

#include "update_key.h"

namespace zorbel::update {
namespace {

constexpr std::uint32_t kDelta = 0x9E3779B9u;
constexpr int kCycles = 32;

std::uint32_t loadLe(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

void storeLe(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

constexpr UpdateKey kBuiltInKey{generated::kUpdateKey[0], generated::kUpdateKey[1],
                                generated::kUpdateKey[2], generated::kUpdateKey[3]};

}  // namespace

const UpdateKey& updateKey() { return kBuiltInKey; }

void encipherBlock(std::span<std::uint8_t, kCipherBlockSize> block, const UpdateKey& key) {
  std::uint32_t y = loadLe(block.data());
  std::uint32_t z = loadLe(block.data() + 4);
  std::uint32_t sum = 0;
  for (int i = 0; i < kCycles; ++i) {
    // y takes the sum before it advances, z the advanced one.
    y += (((z << 4) ^ (z >> 5)) + z) ^ (sum + key[sum & 3u]);
    sum += kDelta;
    z += (((y << 4) ^ (y >> 5)) + y) ^ (sum + key[(sum >> 11) & 3u]);
  }
  storeLe(block.data(), y);
  storeLe(block.data() + 4, z);
}

void encipherBuffer(std::span<std::uint8_t> bytes, const UpdateKey& key) {
  const std::size_t whole = bytes.size() - bytes.size() % kCipherBlockSize;
  for (std::size_t offset = 0; offset < whole; offset += kCipherBlockSize)
    encipherBlock(bytes.subspan(offset).first<kCipherBlockSize>(), key);
}

}  // namespace zorbel::update
