#pragma once
// The device's 2048-byte configuration image and its frame.
#include <array>
#include <cstdint>
#include <string_view>

namespace zorbel::settings {

inline constexpr std::size_t kImageSize = 2048;
inline constexpr std::size_t kPageSize = 128;
inline constexpr std::size_t kPageCount = kImageSize / kPageSize;
using Image = std::array<std::uint8_t, kImageSize>;

inline constexpr std::string_view kConfigVersion = "v1.32";
inline constexpr std::size_t kImageSumOffset = 0;    // 0..3
inline constexpr std::size_t kWriteStampOffset = 4;  // 4..5
inline constexpr std::size_t kVersionOffset = 6;     // 6..13
inline constexpr std::size_t kSettingsBegin = 14;
inline constexpr std::size_t kSettingsEnd = 2002;      // one past the last settings byte
inline constexpr std::size_t kEndMarkerOffset = 2002;  // "END"
inline constexpr std::size_t kSumBegin = 4;
inline constexpr std::size_t kSumEnd = 2008;  // 2008..2047 lie outside the image sum

// Unsigned 32-bit sum of the bytes 4..2007.
std::uint32_t imageSum(const Image& image);
// The 32-bit little-endian number at 0..3.
std::uint32_t storedImageSum(const Image& image);

// The write stamp generator: state = state * 22695477 + 1, output (state >> 16) & 0x7FFF.
class WriteStampGenerator {
 public:
  // Seeding sets the state and takes one step whose output is discarded.
  explicit WriteStampGenerator(std::uint32_t seed) : state_(seed) { next(); }
  std::uint32_t next() {
    state_ = state_ * 22695477u + 1u;
    return (state_ >> 16) & 0x7FFFu;
  }

 private:
  std::uint32_t state_;
};

// The stamp an encode at time `now` stores: the first output after seeding, mod 10000.
std::uint16_t writeStamp(std::int64_t now);

}  // namespace zorbel::settings
