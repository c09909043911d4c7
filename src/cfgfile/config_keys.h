#pragma once
// Every key of the configuration file, in the order a new file holds them.
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zorbel::cfgfile {

// How a key's value is written and read back.
enum class ValueForm : unsigned char {
  Fixed,      // header key: a fixed text, written only (Version is read for the version check)
  Text,       // the edit box's text, verbatim
  Integer,    // the edit box's text as a strict integer, written in decimal
  ItemIndex,  // the combo box's selected item, -1 for none
  Flag,       // the check box: "1" set, "0" clear
};

struct ConfigKey {
  std::string section;
  std::string key;      // spelled exactly as the file holds it
  std::string control;  // the setting's control name; empty for the header keys
  ValueForm form = ValueForm::Text;
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
