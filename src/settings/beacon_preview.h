#pragma once
// The beacons as the device will send them, in the usual monitor notation
// CALL-SSID>DEST-SSID,PATH-SSID:TEXT, with the special strings <date>, <lat>
// and <long> expanded as the device expands them.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "model.h"

namespace zorbel::settings {

struct BeaconPacket {
  int number = 0;  // 1 to 8
  std::int32_t rfMinutes = 0;
  std::int32_t isMinutes = 0;
  std::string packet;          // CALL-SSID>DEST-SSID,PATH-SSID:TEXT (an SSID of 0 left out)
  std::size_t textLength = 0;  // bytes of TEXT, the packet's information field
  std::string note;            // empty, or why the packet may be refused or cut by others
};

// Beacon `number`'s packet, or nothing while both its rates are 0. `now` is
// the UTC time <date> stands for.
std::optional<BeaconPacket> beaconPacket(const SettingsModel& model, int number, std::time_t now);

// Every beacon with a rate that is not 0, in beacon order.
std::vector<BeaconPacket> beaconPackets(const SettingsModel& model, std::time_t now);

// A beacon text with <date> (DDHHMM, UTC), <lat> and <long> replaced.
std::string expandSpecialStrings(const std::string& text, const std::string& latitude,
                                 const std::string& longitude, std::time_t now);

}  // namespace zorbel::settings
