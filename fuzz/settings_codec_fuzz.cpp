// Arbitrary 2048-byte images through the decoder, then the decoded settings
// through the encoder: neither may read or write outside a field or the image.
// And an image the encoder made must come back unchanged through the decoder
// and the encoder (a read followed by a write gives the device what it held).
#include <cstdint>
#include <cstring>

#include "settings/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorbel::settings;
  Image image{};
  std::memcpy(image.data(), data, std::min(size, image.size()));
  // Most inputs would stop at the version check; let half of them through.
  if (size > 0 && (data[0] & 1))
    std::memcpy(image.data() + kVersionOffset, kConfigVersion.data(), 5);

  static const SettingsModel startup(0);  // a copy costs a tenth of building one
  SettingsModel model = startup;
  const zorbel::Result<void> decoded = decodeSettings(image, model);
  if (!decoded.ok() && decoded.error().message.empty()) __builtin_trap();

  Image out{};
  const zorbel::Result<void> encoded = encodeSettings(model, out, 0);
  if (!encoded.ok()) return 0;
  if (storedImageSum(out) != imageSum(out)) __builtin_trap();
  if (std::memcmp(out.data() + kEndMarkerOffset, "END", 3) != 0) __builtin_trap();
  for (std::size_t i = kEndMarkerOffset + 3; i < out.size(); ++i)
    if (out[i] != 0) __builtin_trap();

  SettingsModel again = startup;
  if (!decodeSettings(out, again).ok()) __builtin_trap();
  Image twice{};
  if (!encodeSettings(again, twice, 0).ok()) __builtin_trap();
  if (twice != out) __builtin_trap();
  return 0;
}
