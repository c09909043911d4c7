#pragma once
// Settings named by the program itself, as handles the compiler checks.
//
//   "Txdelay"_setting               compiles only when a setting is declared
//                                   with exactly that name;
//   "Beacon#_msg"_family.at(3)      names Beacon3_msg: the pattern compiles only
//                                   when a declared name has that shape, with a
//                                   number for '#' ("##": two digits, "01");
//                                   a member no setting has ends the program
//                                   (programming_error.h) when it is named.
//
// The declared names come from settings/declared_names.h, which the build
// makes from the declarations themselves (make_setting_names.cpp), so the two
// never disagree. A target links zorbel_setting_names for it: the core past
// the declarations (zorbel_settings) and the front ends.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "settings/catalog.h"
#include "settings/declared_names.h"

namespace zorbel {

namespace settings {
class SettingName;
class SettingFamily;
}  // namespace settings

// In the project's own namespace, so that code anywhere in it writes them as they are.
consteval settings::SettingName operator""_setting(const char* text, std::size_t size);
consteval settings::SettingFamily operator""_family(const char* text, std::size_t size);

namespace settings {

// Called only while the compiler evaluates a name that no setting has: the
// compiler's error names this function.
inline void noSettingIsDeclaredWithThisName() {}

// The name of a declared setting.
class SettingName {
 public:
  constexpr std::string_view view() const { return name_; }
  // Where a model or binder call takes a name, a handle will do.
  constexpr operator std::string_view() const { return name_; }
  // Its position in allSettings().
  std::size_t index() const { return settingIndex(name_); }
  const Setting& setting() const { return allSettings()[index()]; }

 private:
  friend consteval SettingName zorbel::operator""_setting(const char* text, std::size_t size);
  friend class SettingFamily;
  explicit constexpr SettingName(std::string_view name) : name_(name) {}
  std::string_view name_;
};

// Settings whose names differ only in a number: Beacon1_msg .. Beacon8_msg.
class SettingFamily {
 public:
  // The member numbered `number`; one no setting has is a programming error.
  SettingName at(int number) const {
    std::string digits = std::to_string(number);
    if (padded_ && digits.size() < 2) digits.insert(0, 1, '0');
    const std::string name = std::string(prefix_) + digits + std::string(suffix_);
    return SettingName(allSettings()[settingIndex(name)].name);
  }

 private:
  friend consteval SettingFamily zorbel::operator""_family(const char* text, std::size_t size);
  constexpr SettingFamily(std::string_view prefix, std::string_view suffix, bool padded)
      : prefix_(prefix), suffix_(suffix), padded_(padded) {}
  std::string_view prefix_;
  std::string_view suffix_;
  bool padded_;
};

// Whether `name` is `prefix`, a number (two digits when `padded`), `suffix`.
constexpr bool isFamilyMember(std::string_view name, std::string_view prefix,
                              std::string_view suffix, bool padded) {
  if (name.size() <= prefix.size() + suffix.size()) return false;
  if (!name.starts_with(prefix) || !name.ends_with(suffix)) return false;
  const std::string_view digits =
      name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (padded && digits.size() != 2) return false;
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace settings

consteval settings::SettingName operator""_setting(const char* text, std::size_t size) {
  const std::string_view name(text, size);
  const auto& names = settings::declared::kNames;
  if (!std::binary_search(names.begin(), names.end(), name))
    settings::noSettingIsDeclaredWithThisName();
  return settings::SettingName(name);
}

consteval settings::SettingFamily operator""_family(const char* text, std::size_t size) {
  const std::string_view pattern(text, size);
  const std::size_t hash = pattern.find('#');
  if (hash == std::string_view::npos) settings::noSettingIsDeclaredWithThisName();
  const bool padded = pattern.substr(hash).starts_with("##");
  const std::string_view prefix = pattern.substr(0, hash);
  const std::string_view suffix = pattern.substr(hash + (padded ? 2 : 1));
  const auto& names = settings::declared::kNames;
  if (std::none_of(names.begin(), names.end(), [&](std::string_view name) {
        return settings::isFamilyMember(name, prefix, suffix, padded);
      }))
    settings::noSettingIsDeclaredWithThisName();
  return settings::SettingFamily(prefix, suffix, padded);
}

}  // namespace zorbel
