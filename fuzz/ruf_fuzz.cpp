// Arbitrary firmware, of any length up to the remote update limit and a little
// past it, through the remote update builder, in memory and through real
// files: the layout must hold for every input, the file on disk must equal the
// bytes built in memory, and a firmware past the limit must be refused with
// the destination left as it was.
//
// Input: bytes 0..3 choose the build time. When bit 7 of byte 4 is set, bytes
// 4..6 choose a length up to 128 bytes past the limit and the rest of the
// input, repeated, fills it (inputs stay small while lengths reach 245760);
// otherwise everything after byte 3 is the firmware as it stands.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/codec.h"
#include "update/crc32.h"
#include "update/remote_update.h"

namespace {

using namespace zorbel;

const settings::Image& encodedImage() {
  static const settings::Image image = [] {
    settings::Image out{};
    settings::SettingsModel model(0);
    if (!settings::encodeSettings(model, out, 0).ok()) std::abort();
    return out;
  }();
  return image;
}

// Removed at exit; kept on the heap so it outlives the static destructors.
const std::string& scratchFolder() {
  static const std::string* const folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "ruf-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(scratchFolder(), ec);
    });
    return new std::string(pattern);
  }();
  return *folder;
}

std::uint32_t le32(const std::uint8_t* p) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= std::uint32_t{p[i]} << (8 * i);
  return v;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();
}

// The builder through the files the user picks. Each write is flushed to disk
// and would otherwise set the pace, so this runs for one input in 64.
void checkThroughFiles(std::span<const std::uint8_t> firmware, std::time_t now,
                       const std::vector<std::uint8_t>* expected) {
  const std::string firmwarePath = scratchFolder() + "/firmware.hash";
  const std::string outPath = scratchFolder() + "/out.ruf";
  writeFile(firmwarePath, firmware);
  static const std::uint8_t kOld[] = {'o', 'l', 'd'};
  writeFile(outPath, kOld);
  const Result<void> result =
      update::buildRemoteUpdateFile(encodedImage(), firmwarePath, outPath, now);
  const std::vector<std::uint8_t> written = readFile(outPath);
  if (expected) {
    if (!result.ok() || written != *expected) __builtin_trap();
  } else {
    if (result.ok() || result.error().kind != ErrorKind::TooLong) __builtin_trap();
    if (written != std::vector<std::uint8_t>(std::begin(kOld), std::end(kOld))) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::time_t now = 0;
  if (size >= 4) {
    now = static_cast<std::time_t>(le32(data));
    data += 4;
    size -= 4;
  }
  std::vector<std::uint8_t> stretched;
  std::span<const std::uint8_t> firmware(data, size);
  if (size >= 3 && (data[0] & 0x80)) {
    const std::size_t wanted =
        (std::size_t{data[0] & 0x7Fu} << 16 | std::size_t{data[1]} << 8 | data[2]) %
        (update::kRemoteFirmwareLimit + 129);
    const std::span<const std::uint8_t> fill(data + 3, size - 3);
    stretched.assign(wanted, 0);
    // The fill, then the bytes so far copied after themselves: a few copies, not a loop per byte.
    if (!fill.empty() && wanted > 0) {
      std::size_t have = std::min(fill.size(), wanted);
      std::memcpy(stretched.data(), fill.data(), have);
      while (have < wanted) {
        const std::size_t more = std::min(have, wanted - have);
        std::memcpy(stretched.data() + have, stretched.data(), more);
        have += more;
      }
    }
    firmware = stretched;
  }

  if (firmware.size() > update::kRemoteFirmwareLimit) {
    const auto refused = update::assembleRemoteUpdate(encodedImage(), firmware, now);
    if (refused.ok() || refused.error().kind != ErrorKind::TooLong) __builtin_trap();
    if ((firmware.size() & 63) == 0) checkThroughFiles(firmware, now, nullptr);
    return 0;
  }

  const auto assembled = update::assembleRemoteUpdate(encodedImage(), firmware, now);
  if (!assembled) __builtin_trap();
  const std::vector<std::uint8_t>& file = assembled.value();
  if (file.size() != update::kRemoteFirmwareOffset + firmware.size()) __builtin_trap();
  if (le32(file.data() + update::kRemoteLengthOffset) != firmware.size()) __builtin_trap();
  const std::span<const std::uint8_t> covered(file.data() + update::kRemoteImageOffset,
                                              file.size() - update::kRemoteImageOffset);
  if (le32(file.data() + update::kRemoteCrcOffset) != update::crcRegister(covered))
    __builtin_trap();
  for (std::size_t i = update::kRemoteFillerOffset; i < update::kRemoteImageOffset; ++i)
    if (file[i] == 255) __builtin_trap();
  if (!std::equal(firmware.begin(), firmware.end(), file.begin() + update::kRemoteFirmwareOffset))
    __builtin_trap();

  // Picked by the CRC, so that a failing input fails again when replayed.
  if ((le32(file.data() + update::kRemoteCrcOffset) & 63) == 0)
    checkThroughFiles(firmware, now, &file);
  return 0;
}
