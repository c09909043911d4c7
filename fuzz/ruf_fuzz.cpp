// Arbitrary firmware bytes, up to the remote update limit, through the remote
// update builder, in memory and through real files: the layout must hold for
// every input and the file on disk must equal the bytes built in memory.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
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

std::uint32_t le32(const std::vector<std::uint8_t>& f, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= std::uint32_t{f[at + i]} << (8 * i);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first four bytes choose the build time; the rest is the firmware.
  std::time_t now = 0;
  if (size >= 4) {
    now = static_cast<std::time_t>(le32(std::vector<std::uint8_t>(data, data + 4), 0));
    data += 4;
    size -= 4;
  }
  const std::span<const std::uint8_t> firmware(data, std::min(size, update::kRemoteFirmwareLimit));

  const std::vector<std::uint8_t> file = update::assembleRemoteUpdate(encodedImage(), firmware, now);
  if (file.size() != update::kRemoteFirmwareOffset + firmware.size()) __builtin_trap();
  if (le32(file, update::kRemoteLengthOffset) != firmware.size()) __builtin_trap();
  const std::span<const std::uint8_t> covered(file.data() + update::kRemoteImageOffset,
                                              file.size() - update::kRemoteImageOffset);
  if (le32(file, update::kRemoteCrcOffset) != update::crcRegister(covered)) __builtin_trap();
  for (std::size_t i = update::kRemoteFillerOffset; i < update::kRemoteImageOffset; ++i)
    if (file[i] == 255) __builtin_trap();
  if (!std::equal(firmware.begin(), firmware.end(), file.begin() + update::kRemoteFirmwareOffset)) __builtin_trap();

  // The same through the files the user picks, for about one input in 64
  // (picked by the CRC): each file write is flushed to disk and would
  // otherwise set the pace.
  if ((le32(file, update::kRemoteCrcOffset) & 63) != 0) return 0;
  const std::string firmwarePath = scratchFolder() + "/firmware.hash";
  const std::string outPath = scratchFolder() + "/out.ruf";
  {
    std::ofstream out(firmwarePath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(firmware.data()), static_cast<std::streamsize>(firmware.size()));
    if (!out) std::abort();
  }
  const update::RemoteUpdateResult result = update::buildRemoteUpdateFile(encodedImage(), firmwarePath, outPath, now);
  if (!result.ok()) __builtin_trap();
  std::ifstream in(outPath, std::ios::binary);
  const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (written != file) __builtin_trap();
  return 0;
}
