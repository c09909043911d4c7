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

// The key of a build configured without the device's (CMake's default for
// ZORBEL_UPDATE_KEY): no device deciphers with it.
inline constexpr UpdateKey kDevelopmentKey{0x01234567u, 0x89ABCDEFu, 0xFEDCBA98u, 0x76543210u};
inline bool usesDevelopmentKey() { return updateKey() == kDevelopmentKey; }

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
