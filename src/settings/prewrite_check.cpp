#include "prewrite_check.h"

#include <algorithm>
#include <cctype>

#include "catalog.h"
#include "integer_text.h"
#include "value_shapes.h"

namespace zorbel::settings {
namespace {

const std::string& startUpText(const std::string& name) {
  return allSettings()[settingIndex(name)].defaultText;
}

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

int rate(const SettingsModel& model, const std::string& name) {
  return parseInteger(model.text(name)).value_or(0);
}

std::string beacon(int n) { return "Beacon" + std::to_string(n); }

bool sends(const SettingsModel& model, int n) {
  return rate(model, beacon(n) + "_txrate_rf") != 0 ||
         rate(model, beacon(n) + "_txrate_aprsis") != 0;
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
void positionRange(const SettingsModel& model, const std::string& name, std::size_t degreeDigits,
                   int limit, char a, char b, std::vector<PreWriteWarning>& out) {
  const std::string& text = model.text(name);
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

}  // namespace

std::vector<PreWriteWarning> preWriteWarnings(const SettingsModel& model) {
  std::vector<PreWriteWarning> out;
  if (noCallsign(model.text("Callsign"))) {
    out.push_back(
        {"Callsign", "nocall/Callsign", "The station has no callsign of its own (NOCALL)."});
  }
  positionRange(model, "Latitude", 2, 90, 'N', 'S', out);
  positionRange(model, "Longitude", 3, 180, 'E', 'W', out);

  std::vector<int> examplePosition;
  const bool exampleLatitude = model.text("Latitude") == startUpText("Latitude");
  const bool exampleLongitude = model.text("Longitude") == startUpText("Longitude");
  for (int n = 1; n <= 8; ++n) {
    if (!sends(model, n)) continue;
    const std::string& msg = model.text(beacon(n) + "_msg");
    if (msg.find(kExampleComment) != std::string::npos) {
      out.push_back({beacon(n) + "_msg", "example-text/" + beacon(n) + "_msg",
                     "Beacon " + std::to_string(n) + " still sends the start-up example text \"" +
                         kExampleComment + "\"."});
    }
    if ((exampleLatitude && msg.find("<lat>") != std::string::npos) ||
        (exampleLongitude && msg.find("<long>") != std::string::npos)) {
      examplePosition.push_back(n);
    }
    const int rf = rate(model, beacon(n) + "_txrate_rf");
    if (rf > 0 && rf < 10) {
      out.push_back({beacon(n) + "_txrate_rf", "busy-rf/" + beacon(n) + "_txrate_rf",
                     "Beacon " + std::to_string(n) + " goes out on RF every " + std::to_string(rf) +
                         " minutes; 10 minutes or more is usual for a fixed station."});
    }
  }
  if (!examplePosition.empty()) {
    const std::string name = exampleLatitude ? "Latitude" : "Longitude";
    out.push_back({name, "example-position/" + name,
                   "The position is still the example " + startUpText("Latitude") + " " +
                       startUpText("Longitude") + ", and beacon" +
                       (examplePosition.size() > 1 ? "s " : " ") + numbers(examplePosition) +
                       " send" + (examplePosition.size() > 1 ? "" : "s") + " it."});
  }

  const bool server = !model.text("Aprsis1_servername").empty() ||
                      !model.text("Aprsis2_servername").empty() ||
                      !model.text("Aprsis3_servername").empty();
  const std::string login = callsignOf(model.text("Aprsis_user"));
  if (server && (login == "NOCALL" || login == "N0CALL")) {
    out.push_back({"Aprsis_user", "nocall/Aprsis_user", "APRS-IS login is still NOCALL."});
  }
  for (const auto& [name, service] : {std::pair<std::string, std::string>{"www_password", "web"},
                                      {"telnet_password", "telnet"}}) {
    if (model.text(name) == startUpText(name)) {
      out.push_back({name, "factory-password/" + name,
                     "The " + service +
                         " password is the factory default; anyone on the network can log in."});
    }
  }
  // In the order the settings stand, so a list reads tab by tab.
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
    return settingIndex(a.setting) < settingIndex(b.setting);
  });
  return out;
}

}  // namespace zorbel::settings
