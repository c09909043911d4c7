// ruf: "Build remote update file" from the command line.
#include <iostream>

#include "common/whole_file.h"
#include "ctl.h"
#include "update/remote_update.h"
#include "update/xtea.h"

namespace zorbel::ctl {
namespace {

// A file this command built: its first four bytes hold the firmware length,
// and it is exactly that much longer than the 2560 bytes before the firmware.
bool looksBuilt(const std::vector<unsigned char>& bytes) {
  if (bytes.size() < update::kRemoteFirmwareOffset) return false;
  std::uint32_t length = 0;
  for (int i = 3; i >= 0; --i) length = (length << 8) | bytes[static_cast<std::size_t>(i)];
  return bytes.size() - update::kRemoteFirmwareOffset == length;
}

}  // namespace

int cmdRuf(Context& ctx, const Args& args) {
  // The clock and the encoder first, exactly as the window's menu command:
  // an invalid setting stops here with nothing written.
  settings::Image image{};
  if (int status = encodeAndReport(ctx, image); status != kExitOk) return status;

  // A remote update file given as the firmware means the arguments are the
  // wrong way round: the output named second would be the user's firmware.
  if (const auto first = readWholeFile(args[0], update::kRemoteMaxFileSize);
      first && looksBuilt(first.value())) {
    std::cerr << "zorbelctl: " << args[0]
              << " is a remote update file, not a firmware hash file (ruf FIRMWARE OUT)\n";
    return exitStatus(ErrorKind::CannotWrite);
  }

  const auto result = update::buildRemoteUpdateFile(image, args[0], args[1]);
  if (!result) {
    std::cerr << result.error().message;
    if (!result.error().reason.empty()) std::cerr << " (" << result.error().reason << ")";
    std::cerr << "\n";
    return exitStatus(result.error());
  }
  if (update::usesDevelopmentKey()) {
    std::cerr << "warning: " << args[1]
              << " is enciphered with the development update key, not the device's: a device "
                 "refuses it (build with -DZORBEL_UPDATE_KEY=<the device's key>)\n";
  }
  return kExitOk;
}

}  // namespace zorbel::ctl
