#pragma once
// XTEA enciphering of the configuration image packed into a remote update file.
#include <array>
#include <cstdint>
#include <span>

namespace zorbel::update {

// k[0] .. k[3]. The device deciphers with its own key, so a production build
// must be configured with that key (CMake cache variable ZORBEL_UPDATE_KEY).
using UpdateKey = std::array<std::uint32_t, 4>;

inline constexpr std::size_t kCipherBlockSize = 8;

// The key this build was configured with.
const UpdateKey& updateKey();

// Enciphers one 8-byte block in place: standard XTEA, 32 cycles (64 Feistel
// rounds). The block holds two words, bytes 0..3 and 4..7, each least
// significant byte first, and is stored back the same way.
void encipherBlock(std::span<std::uint8_t, kCipherBlockSize> block,
                   const UpdateKey& key = updateKey());

// Enciphers each whole 8-byte block of `bytes` by itself with the same key
// (electronic codebook: no chaining, no initial value). A trailing part
// shorter than a block is left as it is rather than read past the end.
void encipherBuffer(std::span<std::uint8_t> bytes, const UpdateKey& key = updateKey());

}  // namespace zorbel::update
