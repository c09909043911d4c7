#pragma once
// The firmware page buffer that "Upload firmware" loads a firmware hash file into.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"

namespace zorbel::update {

inline constexpr std::size_t kFirmwarePageSize = 128;
inline constexpr std::size_t kFirmwareBufferSize = 237568;   // 1856 pages: the upload limit
inline constexpr std::size_t kRemoteFirmwareLimit = 245760;  // the remote update file's limit

// The loaded firmware hash file as 128-byte pages. A load clears the whole
// buffer before the file's bytes go in, so no byte of an earlier file ever
// travels with a later one; a refused load changes nothing. The file's bytes
// are opaque: nothing in them is looked at.
//
// Not synchronised: the link takes its own copy (the class is copyable) when
// an upload starts, so a later load can never mix two files' pages.
class FirmwarePages {
 public:
  FirmwarePages();

  // Loads the whole file or nothing. The caller sets the transfer request
  // only after an ok() result. Errors: CannotRead "File open error." (or
  // "Could not read the whole firmware file." when it ended early), TooLong
  // "Firmware file too long.".
  Result<void> load(const std::string& path);

  // The file's length in pages, rounded up (0 for an empty file).
  std::uint32_t pageCount() const { return pageCount_; }
  std::size_t length() const { return length_; }

  // What an upload sends: the file's whole pages, the last one padded with
  // zeros (empty for an empty file). The page after them that the upload
  // also sends is the link's to fill.
  std::span<const std::uint8_t> pages() const {
    return {buffer_.data(), std::size_t{pageCount_} * kFirmwarePageSize};
  }

  // The whole buffer, kFirmwareBufferSize bytes.
  const std::uint8_t* data() const { return buffer_.data(); }

 private:
  std::vector<std::uint8_t> buffer_;  // on the heap: 232 KiB is too much for a stack
  std::size_t length_ = 0;
  std::uint32_t pageCount_ = 0;
};

}  // namespace zorbel::update
