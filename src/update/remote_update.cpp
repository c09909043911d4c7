#include "remote_update.h"

#include <algorithm>
#include <random>

#include "common/whole_file.h"
#include "update/crc32.h"
#include "update/xtea.h"

namespace zorbel::update {
namespace {

void storeLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

Result<std::vector<std::uint8_t>> assembleRemoteUpdate(const settings::Image& encodedImage,
                                                       std::span<const std::uint8_t> firmware,
                                                       std::time_t now) {
  if (firmware.size() > kRemoteFirmwareLimit)
    return makeError(ErrorKind::TooLong, "Firmware file too long");
  std::vector<std::uint8_t> file(kRemoteFirmwareOffset + firmware.size(), 0);
  std::copy(firmware.begin(), firmware.end(), file.begin() + kRemoteFirmwareOffset);

  const std::span<std::uint8_t> image(file.data() + kRemoteImageOffset, settings::kImageSize);
  std::copy(encodedImage.begin(), encodedImage.end(), image.begin());
  encipherBuffer(image);

  // The device checks the CRC over what it receives: the enciphered image, never the plain one.
  const std::uint32_t crc =
      crcRegister(std::span<const std::uint8_t>(file).subspan(kRemoteImageOffset));
  storeLe32(file.data() + kRemoteLengthOffset, static_cast<std::uint32_t>(firmware.size()));
  storeLe32(file.data() + kRemoteCrcOffset, crc);

  // The filler means nothing; 255 is kept out of it.
  std::mt19937 generator(static_cast<std::uint32_t>(now));
  for (std::size_t i = kRemoteFillerOffset; i < kRemoteImageOffset; ++i)
    file[i] = static_cast<std::uint8_t>(generator() % 255u);
  return file;
}

Result<void> buildRemoteUpdateFile(const settings::Image& encodedImage,
                                   const std::string& firmwarePath, const std::string& outPath,
                                   std::time_t now) {
  const auto firmware = readWholeFile(firmwarePath, kRemoteFirmwareLimit);
  if (!firmware) {
    const Error& e = firmware.error();
    if (e.kind == ErrorKind::TooLong)
      return makeError(ErrorKind::TooLong, "Firmware file too long");
    if (e.kind == ErrorKind::ShortRead)
      return makeError(ErrorKind::CannotRead, "Could not read the whole firmware file.", e.reason);
    return makeError(ErrorKind::CannotRead, "Could not open firmware file", e.reason);
  }
  auto file = assembleRemoteUpdate(encodedImage, firmware.value(), now);
  if (!file) return file.error();

  // The firmware file is an input: writing over it would destroy it.
  WriteOptions options;
  options.inputs.push_back(firmwarePath);
  const std::vector<std::uint8_t>& bytes = file.value();
  const auto written = writeFile(
      outPath, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
      options);
  if (!written) {
    const Error& e = written.error();
    return makeError(e.kind,
                     e.kind == ErrorKind::WriteFailed ? "Could not write the remote update file."
                                                      : "Could not open destination file.",
                     e.reason);
  }
  return {};
}

}  // namespace zorbel::update
