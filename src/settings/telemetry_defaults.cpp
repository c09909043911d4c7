#include "telemetry_defaults.h"

namespace zorbel::settings {

const std::vector<std::string>& analogSourceItems() {
  static const std::vector<std::string> items{
      "Not used",
      "(I) RX'ed packets (1 hour)",
      "(I) RX'ed packets (10 min)",
      "(I) DIGI'ed packets (1 hour)",
      "(I) DIGI'ed packets (10 min)",
      "(I) Decode efficiency (total)",
      "(I) Decode efficiency (1 hour)",
  };
  return items;
}

AnalogDefaults analogDefaults(int channel, int source) {
  switch (source) {
    case 1:
      return {"Rx1h", "Pkt", "0", "10", "0"};
    case 2:
      return {"Rx10m", "Pkt", "0", "1", "0"};
    case 3:
      return {"Dg1h", "Pkt", "0", "10", "0"};
    case 4:
      return {"Dg10m", "Pkt", "0", "1", "0"};
    case 5:
      return {"Eff", "Pcnt", "0", "1", "0"};
    case 6:
      return {"Eff1h", "Pcnt", "0", "1", "0"};
    default:
      return {"A" + std::to_string(channel), "None", "0", "0", "0"};
  }
}

std::string digitalDefaultName(int channel) { return "B" + std::to_string(channel); }
std::string digitalDefaultLabel(int channel) { return channel <= 5 ? "None" : "Non"; }

}  // namespace zorbel::settings
