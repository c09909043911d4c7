#include "image.h"

namespace zorbel::settings {

std::uint32_t imageSum(const Image& image) {
  std::uint32_t sum = 0;
  for (std::size_t i = kSumBegin; i < kSumEnd; ++i) sum += image[i];
  return sum;
}

std::uint32_t storedImageSum(const Image& image) {
  return static_cast<std::uint32_t>(image[0]) | static_cast<std::uint32_t>(image[1]) << 8 |
         static_cast<std::uint32_t>(image[2]) << 16 | static_cast<std::uint32_t>(image[3]) << 24;
}

std::uint16_t writeStamp(std::int64_t now) {
  WriteStampGenerator generator(static_cast<std::uint32_t>(now));
  return static_cast<std::uint16_t>(generator.next() % 10000);
}

}  // namespace zorbel::settings
