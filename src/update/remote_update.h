#pragma once
// The remote update file: a firmware hash file packed behind the freshly
// encoded configuration image, the image enciphered and both covered by one
// CRC, for the user to send to a network-equipped device over TFTP.
//
// Layout (numbers little-endian):
//   0     4     firmware length L
//   4     4     CRC register over bytes 512 .. 2559 + L (after enciphering)
//   8     504   filler, each byte 0..254
//   512   2048  the configuration image, XTEA-enciphered block by block
//   2560  L     the firmware hash file, byte for byte
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"
#include "settings/image.h"
#include "update/firmware.h"

namespace zorbel::update {

inline constexpr std::size_t kRemoteLengthOffset = 0;
inline constexpr std::size_t kRemoteCrcOffset = 4;
inline constexpr std::size_t kRemoteFillerOffset = 8;
inline constexpr std::size_t kRemoteImageOffset = 512;
inline constexpr std::size_t kRemoteFirmwareOffset =
    kRemoteImageOffset + settings::kImageSize;  // 2560
inline constexpr std::size_t kRemoteMaxFileSize =
    kRemoteFirmwareOffset + kRemoteFirmwareLimit;  // 248320

// Builds the file's bytes in memory: 2560 + firmware.size() bytes. The filler
// comes from a generator seeded with `now` in whole seconds. Firmware longer
// than kRemoteFirmwareLimit is a TooLong error, "Firmware file too long".
Result<std::vector<std::uint8_t>> assembleRemoteUpdate(const settings::Image& encodedImage,
                                                       std::span<const std::uint8_t> firmware,
                                                       std::time_t now);

// "Build remote update file" after the encoder has run: reads the firmware
// hash file whole (refusing one over 245760 bytes) before the destination is
// touched, then writes the destination whole or not at all. On any failure
// the destination is exactly as it was. Errors, each with the system's
// reason where there is one: CannotRead "Could not open firmware file" (or
// "Could not read the whole firmware file."), TooLong "Firmware file too
// long", CannotWrite or SameFile "Could not open destination file." (nothing
// written: the destination may not be written, or is the firmware file),
// CannotWrite "Could not write the remote update file." (the write failed).
Result<void> buildRemoteUpdateFile(const settings::Image& encodedImage,
                                   const std::string& firmwarePath, const std::string& outPath,
                                   std::time_t now = std::time(nullptr));

}  // namespace zorbel::update
