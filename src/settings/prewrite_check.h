#pragma once
// Settings that the encoder accepts but that are most likely a mistake on
// air or on the network: the start-up callsign, login, passwords, example
// beacon and position, a position beyond its range, a busy beacon. Advice
// only: the check never refuses and never changes a setting.
#include <string>
#include <vector>

#include "model.h"

namespace zorbel::settings {

struct PreWriteWarning {
  std::string setting;  // the control the warning is about
  std::string key;      // stable name of this warning on this control, to remember a dismissal
  std::string text;     // one sentence for the user
};

// Every warning that holds for `model`, in encoder order of their settings.
std::vector<PreWriteWarning> preWriteWarnings(const SettingsModel& model);

}  // namespace zorbel::settings
