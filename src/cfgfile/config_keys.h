#pragma once
// Every key of the configuration file, in the order a new file holds them.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/setting.h"

namespace zorbel::cfgfile {

// Fixed for the header keys (Version is read for the version check), else the
// setting's own form.
using settings::FileForm;

struct ConfigKey {
  std::string section;
  std::string key;      // spelled exactly as the file holds it
  std::string control;  // the setting's control name; empty for the header keys
  FileForm form = FileForm::Text;
  // Fixed: the text written. Otherwise the value an import uses when the key
  // is missing or does not convert (integer forms as decimal text); nullopt
  // for the keys an import restores only when they are present and convert.
  std::optional<std::string> loadDefault;
};

inline constexpr std::string_view kHeaderSection = "!WARNING";
inline constexpr std::string_view kVersionKey = "Version";

// Every key: the three header keys, then the settings section by section.
std::span<const ConfigKey> configKeys();

}  // namespace zorbel::cfgfile
