#include "frames.h"

#include <numeric>

namespace zorbel::link {

std::uint8_t frameChecksum(std::span<const std::uint8_t, kFrameSize> frame) {
  unsigned sum = 0;
  for (std::size_t i = 1; i <= 6; ++i) sum += frame[i];
  return static_cast<std::uint8_t>(sum);
}

std::uint16_t pageSum(std::span<const std::uint8_t> page) {
  return static_cast<std::uint16_t>(std::accumulate(page.begin(), page.end(), 0u));
}

Frame makeFrame(std::uint8_t type, std::uint32_t page, std::uint16_t sum) {
  Frame f{kStartByte,
          type,
          static_cast<std::uint8_t>(page >> 8),
          static_cast<std::uint8_t>(page),
          static_cast<std::uint8_t>(sum >> 8),
          static_cast<std::uint8_t>(sum),
          0,
          0};
  f[7] = frameChecksum(f);
  return f;
}

bool checkReceivedImage(const settings::Image& image) {
  return settings::imageSum(image) == settings::storedImageSum(image);
}

}  // namespace zorbel::link
