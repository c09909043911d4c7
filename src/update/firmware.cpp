#include "firmware.h"

#include <algorithm>

#include "common/whole_file.h"

namespace zorbel::update {

FirmwarePages::FirmwarePages() : buffer_(kFirmwareBufferSize, 0) {}

Result<void> FirmwarePages::load(const std::string& path) {
  const auto read = readWholeFile(path, kFirmwareBufferSize);
  if (!read) {
    const Error& e = read.error();
    if (e.kind == ErrorKind::TooLong)
      return makeError(ErrorKind::TooLong, "Firmware file too long.");
    // Sending the part that did arrive would flash a truncated firmware.
    if (e.kind == ErrorKind::ShortRead)
      return makeError(ErrorKind::CannotRead, "Could not read the whole firmware file.", e.reason);
    return makeError(ErrorKind::CannotRead, "File open error.", e.reason);
  }
  const std::vector<unsigned char>& bytes = read.value();

  // Only now, with the whole file in hand, does the buffer change.
  std::fill(buffer_.begin(), buffer_.end(), std::uint8_t{0});
  std::copy(bytes.begin(), bytes.end(), buffer_.begin());
  length_ = bytes.size();
  pageCount_ = static_cast<std::uint32_t>((length_ + kFirmwarePageSize - 1) / kFirmwarePageSize);
  return {};
}

}  // namespace zorbel::update
