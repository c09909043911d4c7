#include "beacon_preview.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "integer_text.h"
#include "setting_name.h"
#include "value_shapes.h"

namespace zorbel::settings {
namespace {

// The longest comment the APRS protocol reference gives a position report.
constexpr std::size_t kPositionCommentLimit = 43;

// As the device puts a callsign on air: upper case, without padding.
std::string callsign(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ') out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// "-N", or nothing for SSID 0; a text that is no SSID is shown as typed.
std::string ssidSuffix(const std::string& text) {
  const auto ssid = shapes::ssid(text);
  if (ssid) return *ssid == 0 ? std::string() : "-" + std::to_string(*ssid);
  return "-" + text;
}

void replaceAll(std::string& text, const std::string& token, const std::string& by) {
  for (std::size_t at = text.find(token); at != std::string::npos;
       at = text.find(token, at + by.size())) {
    text.replace(at, token.size(), by);
  }
}

// Where the comment of a position report starts, or nothing for another packet.
std::optional<std::size_t> positionCommentStart(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::size_t position = 0;
  switch (text[0]) {
    case '!':
    case '=':
      position = 1;
      break;
    case '/':
    case '@':
      position = 8;  // after the 7-character timestamp
      break;
    default:
      return std::nullopt;
  }
  if (position >= text.size()) return std::nullopt;
  // Plain: DDMM.mmN, table, DDDMM.mmE, symbol; compressed: 13 characters.
  const bool plain = shapes::digit(text[position]) || text[position] == ' ';
  return position + (plain ? 19 : 13);
}

}  // namespace

std::string expandSpecialStrings(const std::string& text, const std::string& latitude,
                                 const std::string& longitude, std::time_t now) {
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::array<char, 16> date{};
  std::snprintf(date.data(), date.size(), "%02d%02d%02d", utc.tm_mday, utc.tm_hour, utc.tm_min);
  std::string out = text;
  replaceAll(out, "<date>", date.data());
  replaceAll(out, "<lat>", latitude);
  replaceAll(out, "<long>", longitude);
  return out;
}

std::optional<BeaconPacket> beaconPacket(const SettingsModel& model, int number, std::time_t now) {
  const auto beacon = [number](SettingFamily family) { return family.at(number); };
  BeaconPacket out;
  out.number = number;
  out.rfMinutes = parseInteger(model.text(beacon("Beacon#_txrate_rf"_family))).value_or(0);
  out.isMinutes = parseInteger(model.text(beacon("Beacon#_txrate_aprsis"_family))).value_or(0);
  if (out.rfMinutes == 0 && out.isMinutes == 0) return std::nullopt;

  const std::string text =
      expandSpecialStrings(model.text(beacon("Beacon#_msg"_family)), model.text("Latitude"_setting),
                           model.text("Longitude"_setting), now);
  out.packet = callsign(model.text("Callsign"_setting)) + ssidSuffix(model.text("Ssid"_setting)) +
               ">" + callsign(model.text(beacon("Beacon#_dest_string"_family))) +
               ssidSuffix(model.text(beacon("Beacon#_dest_ssid"_family)));
  const std::string path = callsign(model.text(beacon("Beacon#_path_string"_family)));
  if (!path.empty())
    out.packet += "," + path + ssidSuffix(model.text(beacon("Beacon#_path_ssid"_family)));
  out.packet += ":" + text;
  out.textLength = text.size();

  const auto comment = positionCommentStart(text);
  if (comment && text.size() > *comment + kPositionCommentLimit) {
    out.note = "The comment is " + std::to_string(text.size() - *comment) +
               " characters; a position report's comment takes 43.";
  }
  return out;
}

std::vector<BeaconPacket> beaconPackets(const SettingsModel& model, std::time_t now) {
  std::vector<BeaconPacket> out;
  for (int n = 1; n <= 8; ++n)
    if (auto packet = beaconPacket(model, n, now)) out.push_back(*packet);
  return out;
}

}  // namespace zorbel::settings
