// --config and save: the configuration file's import and export.
#include <iostream>

#include "cfgfile/config_file.h"
#include "common/terminal_text.h"
#include "common/whole_file.h"
#include "ctl.h"

namespace zorbel::ctl {

int applyConfig(Context& ctx, const std::string& path) {
  ctx.options.inputs.push_back(path);
  // A file that is not there is a mistake on the command line (a typo), not a
  // wish for the load defaults: they would reach the device, default
  // passwords included.
  if (const auto readable = checkReadable(path); !readable) {
    std::cerr << "zorbelctl: Unable to read from " << path << ": " << readable.error().reason
              << "\n";
    return exitStatus(readable.error());
  }
  const Result<cfgfile::ImportReport> result = cfgfile::importConfigFile(ctx.model, path);
  if (!result) {
    std::cerr << "zorbelctl: " << result.error().message << ": " << result.error().reason << "\n";
    return exitStatus(result.error());
  }
  // The window shows these in a box and goes on; so does the command line.
  const cfgfile::ImportReport& report = result.value();
  if (!report.versionMessage.empty()) std::cerr << report.versionMessage << "\n";
  // A note quotes the file's bytes.
  for (const cfgfile::ValueNote& note : report.notes)
    std::cerr << "zorbelctl: " << escapedForTerminal(cfgfile::noteText(note)) << "\n";
  return kExitOk;
}

int cmdSave(Context& ctx, const Args& args) {
  const Result<void> result = cfgfile::saveConfigFile(ctx.model, args[0]);
  if (result) return kExitOk;
  if (result.error().kind == ErrorKind::Conversion)
    std::cerr << result.error().message << "\n";
  else
    std::cerr << "zorbelctl: " << result.error().message << ": " << result.error().reason << "\n";
  return exitStatus(result.error());
}

}  // namespace zorbel::ctl
