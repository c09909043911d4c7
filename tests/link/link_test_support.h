#pragma once
// What the link's end-to-end tests share: the callback recorder, the log
// sequences the transfers must produce and the images they carry.
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "settings/codec.h"
#include "settings/model.h"
#include "support/link_recorder.h"
#include "support/temp_dir.h"
#include "update/firmware.h"

namespace zorbel::link::test {

using Recorder = zorbel::test::LinkRecorder;
using zorbel::test::bracket;
using zorbel::test::firmwareSequence;
using zorbel::test::readSequence;
using zorbel::test::TempDir;
using zorbel::test::writeSequence;

inline constexpr std::time_t kNow = 1700000000;

// The default settings with another callsign, encoded.
inline settings::Image encoded(const std::string& callsign = "DL1ABC") {
  settings::SettingsModel model(kNow);
  EXPECT_TRUE(model.setText("Callsign", callsign));
  settings::Image image{};
  const auto result = settings::encodeSettings(model, image, kNow);
  if (!result.ok()) throw std::runtime_error(result.error().message);
  return image;
}

// Stores the image sum of what the image now holds.
inline void restoreSum(settings::Image& image) {
  const std::uint32_t sum = settings::imageSum(image);
  for (int i = 0; i < 4; ++i) image[i] = static_cast<std::uint8_t>(sum >> (8 * i));
}

inline std::vector<std::uint8_t> patternBytes(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>(seed + i * 13 + i / 251);
  return bytes;
}

// What the windows and zorbelctl upload from a loaded file: its pages, the
// last one padded with the buffer's zeros.
inline std::span<const std::uint8_t> loadedPages(const update::FirmwarePages& firmware) {
  return {firmware.data(), std::min(std::size_t{firmware.pageCount()} * update::kFirmwarePageSize,
                                    update::kFirmwareBufferSize)};
}

}  // namespace zorbel::link::test
