// ruf: "Build remote update file" from the command line.
#include <iostream>

#include "ctl.h"
#include "update/remote_update.h"

namespace zorbel::ctl {

int cmdRuf(Context& ctx, const Args& args) {
  // The clock and the encoder first, exactly as the window's menu command:
  // an invalid setting stops here with nothing written.
  settings::Image image{};
  if (int status = encodeForWrite(ctx, image); status != kExitOk) return status;

  const auto result = update::buildRemoteUpdateFile(image, args[0], args[1]);
  if (!result.ok()) {
    std::cerr << result.message;
    if (!result.reason.empty()) std::cerr << " (" << result.reason << ")";
    std::cerr << "\n";
    return kExitFile;
  }
  return kExitOk;
}

}  // namespace zorbel::ctl
