// --config and save: the configuration file's import and export.
#include <iostream>

#include "cfgfile/config_file.h"
#include "common/whole_file.h"
#include "ctl.h"

namespace zorbel::ctl {

int applyConfig(Context& ctx, const std::string& path) {
  // A file that is not there is a mistake on the command line (a typo), not a
  // wish for the load defaults: they would reach the device, default
  // passwords included.
  if (const auto readable = checkReadable(path); !readable) {
    std::cerr << "zorbelctl: Unable to read from " << path << ": " << readable.error().reason << "\n";
    return kExitFile;
  }
  const auto result = cfgfile::importConfigFile(ctx.model, path);
  if (!result.ok()) {
    std::cerr << "zorbelctl: " << result.message() << ": " << result.reason << "\n";
    return kExitFile;
  }
  // The window shows these in a box and goes on; so does the command line.
  if (!result.versionMessage.empty()) std::cerr << result.versionMessage << "\n";
  return kExitOk;
}

int cmdSave(Context& ctx, const Args& args) {
  const auto result = cfgfile::saveConfigFile(ctx.model, args[0]);
  switch (result.status) {
    case cfgfile::SaveResult::Status::Ok: return kExitOk;
    case cfgfile::SaveResult::Status::ConversionError: std::cerr << result.message() << "\n"; return kExitConversion;
    case cfgfile::SaveResult::Status::WriteError:
      std::cerr << "zorbelctl: " << result.message() << ": " << result.reason << "\n";
      return kExitFile;
  }
  return kExitFile;
}

}  // namespace zorbel::ctl
