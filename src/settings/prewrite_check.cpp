#include "prewrite_check.h"

#include <algorithm>
#include <cctype>

#include "catalog.h"
#include "integer_text.h"
#include "setting_name.h"
#include "value_shapes.h"

namespace zorbel::settings {
namespace {

const std::string& startUpText(SettingName name) { return name.setting().defaultText; }

// Upper-cased, without the spaces a read keeps after a short callsign.
std::string callsignOf(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ') out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool noCallsign(const std::string& text) {
  const std::string call = callsignOf(text);
  return call.empty() || call == "NOCALL" || call == "N0CALL";
}

int rate(const SettingsModel& model, SettingName name) {
  return parseInteger(model.text(name)).value_or(0);
}

bool sends(const SettingsModel& model, int n) {
  return rate(model, "Beacon#_txrate_rf"_family.at(n)) != 0 ||
         rate(model, "Beacon#_txrate_aprsis"_family.at(n)) != 0;
}

// "1", "1 and 3", "1, 2 and 3".
std::string numbers(const std::vector<int>& list) {
  std::string out;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) out += i + 1 == list.size() ? " and " : ", ";
    out += std::to_string(list[i]);
  }
  return out;
}

// Degrees over the limit or minutes of 60 and more, in a text of the
// device's shape (the encoder refuses other shapes itself).
void positionRange(const SettingsModel& model, SettingName setting, std::size_t degreeDigits,
                   int limit, char a, char b, std::vector<PreWriteWarning>& out) {
  const std::string name(setting.view());
  const std::string& text = model.text(setting);
  if (!shapes::position(text, degreeDigits, a, b)) return;
  const int degrees = std::stoi(text.substr(0, degreeDigits));
  const int minutes = std::stoi(text.substr(degreeDigits, 2));
  const int hundredths = std::stoi(text.substr(degreeDigits + 3, 2));
  if (minutes >= 60) {
    out.push_back({name, "minutes/" + name,
                   name + " " + text + " has " + std::to_string(minutes) +
                       " minutes; a degree has 60, so the station shows up in the wrong place."});
  } else if (degrees > limit || (degrees == limit && (minutes > 0 || hundredths > 0))) {
    out.push_back({name, "degrees/" + name,
                   name + " " + text + " lies beyond " + std::to_string(limit) +
                       " degrees; the device stores it all the same."});
  }
}

// The example beacon's comment; the start-up text of beacon 1 ends with it.
constexpr const char* kExampleComment = "ZORBEL Test.";

// Beacons that still send the start-up examples, or go out on RF too often.
void beaconWarnings(const SettingsModel& model, std::vector<PreWriteWarning>& out) {
  std::vector<int> examplePosition;
  const bool exampleLatitude = model.text("Latitude"_setting) == startUpText("Latitude"_setting);
  const bool exampleLongitude = model.text("Longitude"_setting) == startUpText("Longitude"_setting);
  for (int n = 1; n <= 8; ++n) {
    if (!sends(model, n)) continue;
    const std::string msgName("Beacon#_msg"_family.at(n).view());
    const std::string& msg = model.text(msgName);
    if (msg.find(kExampleComment) != std::string::npos) {
      out.push_back({msgName, "example-text/" + msgName,
                     "Beacon " + std::to_string(n) + " still sends the start-up example text \"" +
                         kExampleComment + "\"."});
    }
    if ((exampleLatitude && msg.find("<lat>") != std::string::npos) ||
        (exampleLongitude && msg.find("<long>") != std::string::npos)) {
      examplePosition.push_back(n);
    }
    const SettingName rfName = "Beacon#_txrate_rf"_family.at(n);
    const int rf = rate(model, rfName);
    if (rf > 0 && rf < 10) {
      out.push_back({std::string(rfName.view()), "busy-rf/" + std::string(rfName.view()),
                     "Beacon " + std::to_string(n) + " goes out on RF every " + std::to_string(rf) +
                         " minutes; 10 minutes or more is usual for a fixed station."});
    }
  }
  if (!examplePosition.empty()) {
    const std::string name((exampleLatitude ? "Latitude"_setting : "Longitude"_setting).view());
    out.push_back({name, "example-position/" + name,
                   "The position is still the example " + startUpText("Latitude"_setting) + " " +
                       startUpText("Longitude"_setting) + ", and beacon" +
                       (examplePosition.size() > 1 ? "s " : " ") + numbers(examplePosition) +
                       " send" + (examplePosition.size() > 1 ? "" : "s") + " it."});
  }
}

// A server login or a network password left at its factory value.
void networkWarnings(const SettingsModel& model, std::vector<PreWriteWarning>& out) {
  const bool server = !model.text("Aprsis1_servername"_setting).empty() ||
                      !model.text("Aprsis2_servername"_setting).empty() ||
                      !model.text("Aprsis3_servername"_setting).empty();
  const std::string login = callsignOf(model.text("Aprsis_user"_setting));
  if (server && (login == "NOCALL" || login == "N0CALL")) {
    const std::string name("Aprsis_user"_setting.view());
    out.push_back({name, "nocall/" + name, "APRS-IS login is still NOCALL."});
  }
  for (const auto& [setting, service] :
       {std::pair<SettingName, std::string>{"www_password"_setting, "web"},
        {"telnet_password"_setting, "telnet"}}) {
    if (model.text(setting) == startUpText(setting)) {
      const std::string name(setting.view());
      out.push_back({name, "factory-password/" + name,
                     "The " + service +
                         " password is the factory default; anyone on the network can log in."});
    }
  }
}

}  // namespace

std::vector<PreWriteWarning> preWriteWarnings(const SettingsModel& model) {
  std::vector<PreWriteWarning> out;
  if (noCallsign(model.text("Callsign"_setting))) {
    const std::string name("Callsign"_setting.view());
    out.push_back({name, "nocall/" + name, "The station has no callsign of its own (NOCALL)."});
  }
  positionRange(model, "Latitude"_setting, 2, 90, 'N', 'S', out);
  positionRange(model, "Longitude"_setting, 3, 180, 'E', 'W', out);

  beaconWarnings(model, out);
  networkWarnings(model, out);
  // In the order the settings stand, so a list reads tab by tab.
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
    return settingIndex(a.setting) < settingIndex(b.setting);
  });
  return out;
}

}  // namespace zorbel::settings
