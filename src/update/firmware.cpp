#include "firmware.h"

#include <algorithm>

#include "common/atomic_file.h"

namespace zorbel::update {

FirmwarePages::FirmwarePages() : buffer_(kFirmwareBufferSize, 0) {}

FirmwareLoadResult FirmwarePages::load(const std::string& path) {
  FirmwareLoadResult result;
  result.title = kFileOpenErrorTitle;
  std::vector<unsigned char> bytes;
  switch (readWholeFile(path, kFirmwareBufferSize, bytes, result.reason)) {
    case ReadStatus::Ok:
      break;
    case ReadStatus::CannotOpen:
      result.status = FirmwareLoadResult::Status::CannotOpen;
      result.message = "File open error.";
      return result;
    case ReadStatus::TooLong:
      result.status = FirmwareLoadResult::Status::TooLong;
      result.message = "Firmware file too long.";
      return result;
    case ReadStatus::ShortRead:
      // Sending the part that did arrive would flash a truncated firmware.
      result.status = FirmwareLoadResult::Status::ShortRead;
      result.message = "Could not read the whole firmware file.";
      return result;
  }

  // Only now, with the whole file in hand, does the buffer change.
  std::fill(buffer_.begin(), buffer_.end(), std::uint8_t{0});
  std::copy(bytes.begin(), bytes.end(), buffer_.begin());
  length_ = bytes.size();
  pageCount_ = static_cast<std::uint32_t>((length_ + kFirmwarePageSize - 1) / kFirmwarePageSize);
  pageCounter_ = 0;
  result.title.clear();
  return result;
}

std::array<std::uint8_t, kFirmwarePageSize> FirmwarePages::page(std::uint32_t n) const {
  std::array<std::uint8_t, kFirmwarePageSize> out{};
  const std::size_t begin = std::size_t{n} * kFirmwarePageSize;
  if (begin < buffer_.size()) {
    const std::size_t count = std::min(kFirmwarePageSize, buffer_.size() - begin);
    std::copy_n(buffer_.begin() + static_cast<std::ptrdiff_t>(begin), count, out.begin());
  }
  return out;
}

}  // namespace zorbel::update
