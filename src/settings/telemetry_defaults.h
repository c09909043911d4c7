#pragma once
// What each telemetry channel's "Default parameters" button fills in.
#include <string>
#include <vector>

namespace zorbel::settings {

struct AnalogDefaults {
  std::string name, units, coefA, coefB, coefC;
};

// Start-up source item of analog channels 1 to 5.
inline constexpr int kAnalogStartupSource[5] = {1, 3, 6, 0, 0};

const std::vector<std::string>& analogSourceItems();

// Texts for analog channel (1..5) with source item (0..6).
AnalogDefaults analogDefaults(int channel, int source);

// Name "B1".."B8"; label "None" for channels 1 to 5 and "Non" for 6 to 8 (3-character boxes).
std::string digitalDefaultName(int channel);
std::string digitalDefaultLabel(int channel);

}  // namespace zorbel::settings
