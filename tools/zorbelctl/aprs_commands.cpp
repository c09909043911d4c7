// --position, check and beacons: the aids around the settings an APRS
// operator most often gets wrong.
#include <ctime>
#include <iostream>
#include <sstream>

#include "common/terminal_text.h"
#include "ctl.h"
#include "settings/beacon_preview.h"
#include "settings/position_text.h"
#include "settings/prewrite_check.h"
#include "settings/setting_name.h"

namespace zorbel::ctl {

int applyPosition(Context& ctx, const std::string& text) {
  const auto position = settings::parsePosition(text);
  if (!position) {
    std::cerr << "zorbelctl: --position " << escapedForTerminal(text) << ": "
              << escapedForTerminal(position.error().message) << "\n";
    return kExitUsage;
  }
  ctx.model.setTextAt("Latitude"_setting.index(), position.value().latitude);
  ctx.model.setTextAt("Longitude"_setting.index(), position.value().longitude);
  return kExitOk;
}

void printWarnings(const settings::SettingsModel& model, std::ostream& out) {
  for (const auto& w : settings::preWriteWarnings(model))
    out << "warning: " << w.setting << ": " << escapedForTerminal(w.text) << "\n";
}

int cmdCheck(Context& ctx, const Args&) {
  const auto warnings = settings::preWriteWarnings(ctx.model);
  std::ostringstream text;
  for (const auto& w : warnings) text << w.setting << '\t' << escapedForTerminal(w.text) << '\n';
  std::cout << text.str() << std::flush;
  if (!std::cout) return exitStatus(ErrorKind::WriteFailed);
  return warnings.empty() ? kExitOk : kExitWarnings;
}

int cmdBeacons(Context& ctx, const Args&) {
  std::ostringstream text;
  for (const auto& b : settings::beaconPackets(ctx.model, std::time(nullptr))) {
    text << b.number << '\t' << b.rfMinutes << '\t' << b.isMinutes << '\t'
         << escapedForTerminal(b.packet) << '\n';
  }
  std::cout << text.str() << std::flush;
  return std::cout ? kExitOk : exitStatus(ErrorKind::WriteFailed);
}

}  // namespace zorbel::ctl
