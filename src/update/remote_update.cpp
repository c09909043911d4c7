#include "remote_update.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/atomic_file.h"
#include "update/crc32.h"
#include "update/xtea.h"

namespace zorbel::update {
namespace {

void storeLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

RemoteUpdateResult failure(RemoteUpdateResult::Status status, std::string message, std::string reason = {}) {
  RemoteUpdateResult r;
  r.status = status;
  r.title = kFileOpenErrorTitle;
  r.message = std::move(message);
  r.reason = std::move(reason);
  return r;
}

// The atomic write replaces the destination by rename, which would get past
// a read-only file and only fails late in a folder we may not write. Refuse
// both up front, as opening the destination for writing would.
bool destinationWritable(const std::string& outPath, std::string& reason) {
  struct stat st {};
  if (::stat(outPath.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      reason = std::strerror(EISDIR);
      return false;
    }
    if (::faccessat(AT_FDCWD, outPath.c_str(), W_OK, AT_EACCESS) != 0) {
      reason = std::strerror(errno);
      return false;
    }
  } else if (errno != ENOENT) {
    reason = std::strerror(errno);
    return false;
  }
  std::filesystem::path folder = std::filesystem::path(outPath).parent_path();
  if (folder.empty()) folder = ".";
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::uint8_t> assembleRemoteUpdate(const settings::Image& encodedImage,
                                               std::span<const std::uint8_t> firmware, std::time_t now) {
  if (firmware.size() > kRemoteFirmwareLimit) throw std::length_error("firmware longer than 245760 bytes");
  std::vector<std::uint8_t> file(kRemoteFirmwareOffset + firmware.size(), 0);
  std::copy(firmware.begin(), firmware.end(), file.begin() + kRemoteFirmwareOffset);

  const std::span<std::uint8_t> image(file.data() + kRemoteImageOffset, settings::kImageSize);
  std::copy(encodedImage.begin(), encodedImage.end(), image.begin());
  encipherBuffer(image);

  // The device checks the CRC over what it receives: the enciphered image, never the plain one.
  const std::uint32_t crc = crcRegister(std::span<const std::uint8_t>(file).subspan(kRemoteImageOffset));
  storeLe32(file.data() + kRemoteLengthOffset, static_cast<std::uint32_t>(firmware.size()));
  storeLe32(file.data() + kRemoteCrcOffset, crc);

  // The filler means nothing; 255 is kept out of it.
  std::mt19937 generator(static_cast<std::uint32_t>(now));
  for (std::size_t i = kRemoteFillerOffset; i < kRemoteImageOffset; ++i)
    file[i] = static_cast<std::uint8_t>(generator() % 255u);
  return file;
}

RemoteUpdateResult buildRemoteUpdateFile(const settings::Image& encodedImage, const std::string& firmwarePath,
                                         const std::string& outPath, std::time_t now) {
  using Status = RemoteUpdateResult::Status;
  std::vector<unsigned char> firmware;
  std::string reason;
  switch (readWholeFile(firmwarePath, kRemoteFirmwareLimit, firmware, reason)) {
    case ReadStatus::Ok: break;
    case ReadStatus::CannotOpen: return failure(Status::CannotOpenFirmware, "Could not open firmware file", reason);
    case ReadStatus::TooLong: return failure(Status::FirmwareTooLong, "Firmware file too long");
    case ReadStatus::ShortRead:
      return failure(Status::FirmwareShortRead, "Could not read the whole firmware file.", reason);
  }

  if (!destinationWritable(outPath, reason))
    return failure(Status::CannotOpenDestination, "Could not open destination file.", reason);

  const std::vector<std::uint8_t> file = assembleRemoteUpdate(encodedImage, firmware, now);
  if (!writeFileAtomically(outPath, file.data(), file.size(), reason))
    return failure(Status::WriteFailed, "Could not write the remote update file.", reason);
  return {};
}

}  // namespace zorbel::update
