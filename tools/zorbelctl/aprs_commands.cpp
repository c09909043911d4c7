// --position, check and beacons: the aids around the settings an APRS
// operator most often gets wrong.
#include <ctime>
#include <iostream>
#include <sstream>

#include "ctl.h"
#include "settings/beacon_preview.h"
#include "settings/position_text.h"
#include "settings/prewrite_check.h"

namespace zorbel::ctl {
namespace {

// Settings come from files and devices: a control byte among them must not
// reach the terminal as one, nor a backslash pass for an escape.
std::string terminalText(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F) || c == '\\') {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

int applyPosition(Context& ctx, const std::string& text) {
  const auto position = settings::parsePosition(text);
  if (!position) {
    std::cerr << "zorbelctl: --position " << terminalText(text) << ": "
              << terminalText(position.error().message) << "\n";
    return kExitUsage;
  }
  // Both or neither: the model's setters fail only for an unknown name.
  (void)ctx.model.setText("Latitude", position.value().latitude);
  (void)ctx.model.setText("Longitude", position.value().longitude);
  return kExitOk;
}

void printWarnings(const settings::SettingsModel& model, std::ostream& out) {
  for (const auto& w : settings::preWriteWarnings(model))
    out << "warning: " << w.setting << ": " << terminalText(w.text) << "\n";
}

int cmdCheck(Context& ctx, const Args&) {
  const auto warnings = settings::preWriteWarnings(ctx.model);
  std::ostringstream text;
  for (const auto& w : warnings) text << w.setting << '\t' << terminalText(w.text) << '\n';
  std::cout << text.str() << std::flush;
  if (!std::cout) return kExitFile;
  return warnings.empty() ? kExitOk : kExitWarnings;
}

int cmdBeacons(Context& ctx, const Args&) {
  std::ostringstream text;
  for (const auto& b : settings::beaconPackets(ctx.model, std::time(nullptr))) {
    text << b.number << '\t' << b.rfMinutes << '\t' << b.isMinutes << '\t' << terminalText(b.packet)
         << '\n';
  }
  std::cout << text.str() << std::flush;
  return std::cout ? kExitOk : kExitFile;
}

}  // namespace zorbel::ctl
