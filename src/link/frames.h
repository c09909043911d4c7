#pragma once
// Link frames: 8 bytes, start byte 0xFF, type, five argument bytes (numbers
// big-endian) and a checksum over bytes 1..6. Configuration and firmware pages
// are 128 bytes guarded by a 16-bit page sum.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/image.h"

namespace zorbel::link {

inline constexpr std::size_t kFrameSize = 8;
inline constexpr std::size_t kPageSize = 128;
inline constexpr std::uint8_t kStartByte = 0xFF;

// Sent to the device.
inline constexpr std::uint8_t kFirmwarePageHeader = 0x40;
inline constexpr std::uint8_t kConfigurationPageHeader = 0x80;
inline constexpr std::uint8_t kPageReadRequest = 0x90;
// Received from the device.
inline constexpr std::uint8_t kFirmwarePageAck = 0x41;
inline constexpr std::uint8_t kConfigurationPageAck = 0x81;
inline constexpr std::uint8_t kPageDataHeader = 0x91;

using Frame = std::array<std::uint8_t, kFrameSize>;
using Page = std::array<std::uint8_t, kPageSize>;

// The sum of bytes 1..6, modulo 256: the start byte is not summed.
std::uint8_t frameChecksum(std::span<const std::uint8_t, kFrameSize> frame);

// The low 16 bits of the sum of a page's bytes.
std::uint16_t pageSum(std::span<const std::uint8_t> page);

// A frame of `type` carrying the page number's low 16 bits in bytes 2..3, the
// page sum in 4..5, 0 in byte 6 and its checksum.
Frame makeFrame(std::uint8_t type, std::uint32_t page, std::uint16_t sum);

// The image sum over offsets 4..2007 matches the number stored at 0..3.
bool checkReceivedImage(const settings::Image& image);

}  // namespace zorbel::link
