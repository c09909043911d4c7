#pragma once
// A small fluent helper that keeps each setting's declaration to a few lines.
#include <string>
#include <utility>
#include <vector>

#include "setting.h"

namespace zorbel::settings {

class Declare {
 public:
  static Declare edit(std::string page, std::string name, int maxLength, std::string defaultText) {
    Declare d(std::move(page), std::move(name), ControlKind::Edit);
    d.s_.maxLength = maxLength;
    d.s_.defaultText = std::move(defaultText);
    return d;
  }
  static Declare combo(std::string page, std::string name, std::vector<std::string> items,
                       int defaultIndex) {
    Declare d(std::move(page), std::move(name), ControlKind::Combo);
    d.s_.items = std::move(items);
    d.s_.defaultIndex = defaultIndex;
    return d;
  }
  static Declare check(std::string page, std::string name, bool checked) {
    Declare d(std::move(page), std::move(name), ControlKind::Check);
    d.s_.defaultIndex = checked ? 1 : 0;
    return d;
  }

  Declare& caption(std::string text) {
    s_.caption = std::move(text);
    return *this;
  }
  Declare& hint(std::string text) {
    s_.hint = std::move(text);
    return *this;
  }
  Declare& at(int offset, int width, Encoding encoding) {
    s_.offset = offset;
    s_.width = width;
    s_.encoding = encoding;
    return *this;
  }
  // An item index, flag byte or byte number takes one byte.
  Declare& at(int offset, Encoding encoding) { return at(offset, widthOf(encoding), encoding); }
  Declare& rule(Rule rule, std::string message) {
    return this->rule(rule, 0, 0, std::move(message));
  }
  Declare& rule(Rule rule, std::int32_t low, std::int32_t high, std::string message) {
    s_.rule = rule;
    s_.low = low;
    s_.high = high;
    s_.message = std::move(message);
    return *this;
  }
  Declare& partner(std::string toCall) {
    s_.partner = std::move(toCall);
    return *this;
  }
  // The image keeps no place for this setting (it only steers a command).
  Declare& notStored() {
    s_.stored = false;
    return *this;
  }
  Declare& notDecoded() {
    s_.decoded = false;
    return *this;
  }

  // The configuration file's section and key for the setting and its load
  // default. A text load default makes an edit box's key a text; a number makes
  // it an integer, and is the item index of a combo box or the state (1 set) of
  // a check box. Sections come in the file in the order their first setting is
  // declared, and hold their keys in declaration order unless fileAfter() says
  // otherwise.
  Declare& file(std::string section, std::string key, std::string loadDefault) {
    return fileKey(std::move(section), std::move(key), FileForm::Text, std::move(loadDefault));
  }
  Declare& file(std::string section, std::string key, int loadDefault) {
    const FileForm form = s_.kind == ControlKind::Combo   ? FileForm::ItemIndex
                          : s_.kind == ControlKind::Check ? FileForm::Flag
                                                          : FileForm::Integer;
    return fileKey(std::move(section), std::move(key), form, std::to_string(loadDefault));
  }
  // A key that an import restores only when the file holds it and it converts.
  Declare& fileWithoutLoadDefault(std::string section, std::string key) {
    const FileForm form = s_.kind == ControlKind::Combo ? FileForm::ItemIndex : FileForm::Text;
    return fileKey(std::move(section), std::move(key), form, std::nullopt);
  }
  // In the file this key comes right after the key of `control`.
  Declare& fileAfter(std::string control) {
    s_.file->after = std::move(control);
    return *this;
  }

  Setting take() { return std::move(s_); }

 private:
  Declare(std::string page, std::string name, ControlKind kind) {
    s_.page = std::move(page);
    s_.name = std::move(name);
    s_.kind = kind;
  }
  Declare& fileKey(std::string section, std::string key, FileForm form,
                   std::optional<std::string> loadDefault) {
    s_.file = FileKey{std::move(section), std::move(key), form, std::move(loadDefault), {}};
    return *this;
  }
  static int widthOf(Encoding e) {
    switch (e) {
      case Encoding::WordNumber:
      case Encoding::UnsignedWord:
        return 2;
      case Encoding::PaddedCallsign:
      case Encoding::StationCallsign:
        return 6;
      case Encoding::Latitude:
        return 9;
      case Encoding::Longitude:
        return 10;
      case Encoding::None:
      case Encoding::ByteNumber:
      case Encoding::ItemIndex:
      case Encoding::FlagByte:
      case Encoding::SsidCharacter:
      case Encoding::StationSsid:
      case Encoding::Text:
      case Encoding::UpperText:
        return 1;
    }
    return 1;
  }
  Setting s_;
};

// Appends a declaration to a tab's list.
inline void operator<<(std::vector<Setting>& out, Declare& d) { out.push_back(d.take()); }
inline void operator<<(std::vector<Setting>& out, Declare&& d) { out.push_back(d.take()); }

// A report's destination to-call (at least one character) and SSID, then its
// one-element path and SSID ('0' unread when the path is empty): 14 bytes from
// `offset`. `what` names it in the range messages ("Beacon 1", "Weather"),
// `hintWhat` in the hints ("Beacon 1", "Weather report"). The configuration
// file holds the four in `section`, under their control names.
inline void addDestinationAndPath(std::vector<Setting>& out, const std::string& page,
                                  const std::string& prefix, const std::string& what,
                                  const std::string& hintWhat, int offset,
                                  const std::string& pathCaption, const std::string& section) {
  out << Declare::edit(page, prefix + "_dest_string", 6, "APZR01")
             .caption("Dest:")
             .hint(hintWhat + " destination to-call.")
             .at(offset, Encoding::PaddedCallsign)
             .rule(Rule::NotEmpty, what + " destination - too short (ex. APZR01).")
             .file(section, prefix + "_dest_string", "APZR01");
  out << Declare::edit(page, prefix + "_dest_ssid", 2, "0")
             .caption("-")
             .hint(hintWhat + " destination SSID.")
             .at(offset + 6, Encoding::SsidCharacter)
             .rule(Rule::GuardedSsid, 0, 15, what + " destination - SSID range error (0 - 15).")
             .file(section, prefix + "_dest_ssid", "0");
  out << Declare::edit(page, prefix + "_path_string", 6, "WIDE2")
             .caption(pathCaption)
             .hint(hintWhat + " path.")
             .at(offset + 7, Encoding::PaddedCallsign)
             .file(section, prefix + "_path_string", "WIDE2");
  out << Declare::edit(page, prefix + "_path_ssid", 2, "2")
             .caption("-")
             .hint(hintWhat + " path SSID.")
             .at(offset + 13, Encoding::SsidCharacter)
             .rule(Rule::GuardedSsid, 0, 15, what + " path - SSID range error (0 - 15).")
             .partner(prefix + "_path_string")
             .file(section, prefix + "_path_ssid", "2");
}

// Moves the file keys of out[first] to out[last - 1], in their order, to right
// after the key of `control`.
inline void placeFileKeysAfter(std::vector<Setting>& out, std::size_t first, std::size_t last,
                               std::string control) {
  for (std::size_t i = first; i < last; ++i) {
    if (!out[i].file) continue;
    out[i].file->after = std::move(control);
    control = out[i].name;
  }
}

inline const std::vector<std::string> kNoYes{"No", "Yes"};
inline const std::vector<std::string> kDisabledEnabled{"Disabled", "Enabled"};
inline const std::vector<std::string> kOffOn{"Off", "On"};

}  // namespace zorbel::settings
