#pragma once
// One declaration per setting: what the window shows, where the setting lives
// in the configuration image, how it is encoded and which rule guards it.
// The encoder, the decoder, the configuration file, the windows and zorbelctl
// all read these declarations.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorbel::settings {

enum class ControlKind : std::uint8_t { Edit, Combo, Check };

enum class Encoding : std::uint8_t {
  None,             // not stored in the image: a setting declared .notStored()
  ByteNumber,       // low 8 bits of the integer; read back unsigned
  WordNumber,       // low 16 bits, little-endian; read back signed
  UnsignedWord,     // as WordNumber; read back unsigned
  ItemIndex,        // selected item, 0xFF for none
  FlagByte,         // 1 checked, 0 not
  PaddedCallsign,   // upper-cased, space padded to 6; read back without trailing spaces
  StationCallsign,  // as PaddedCallsign, but read back with its padding kept
  SsidCharacter,    // '0' + n (or '*'); read back as byte - 48
  StationSsid,      // as SsidCharacter; read back as (byte - 48) mod 256
  Text,             // text and a zero byte, at most width - 1 characters
  UpperText,        // as Text, upper-cased
  Latitude,         // DDMM.mmN and a zero byte
  Longitude,        // DDDMM.mmE and a zero byte
};

enum class Rule : std::uint8_t {
  None,
  NotEmpty,        // at least one character
  Range,           // integer in low..high; the value is stored before the check
  RangeThenStore,  // integer in low..high; checked before it is stored
  ZeroOrRange,     // 0, or an integer in low..high (stored before the check)
  PortOrEmpty,     // empty stores 0 silently; otherwise an integer in 0..65535
  GuardedSsid,     // 0..15 and a non-integer both give the message; with a
                   // partner, an empty partner text stores '0' unread
  SsidOrWildcard,  // exactly "*", or a guarded 0..15
  Printable,       // every byte 0x20..0x7E (stored before the check)
  LatitudeShape,   // DDMM.mm then N or S
  LongitudeShape,  // DDDMM.mm then E or W
};

// How a configuration file key's value is written and read back.
enum class FileForm : std::uint8_t {
  Fixed,      // a header key: a fixed text, written only (no setting has this form)
  Text,       // the edit box's text, verbatim
  Integer,    // the edit box's text as a strict integer, written in decimal
  ItemIndex,  // the combo box's selected item, -1 for none
  Flag,       // the check box: "1" set, "0" clear
};

// Where a setting lives in the configuration file.
struct FileKey {
  std::string section;
  std::string key;  // spelled exactly as files hold it, which is not always the control's name
  FileForm form = FileForm::Text;
  // The value an import uses when the key is missing or does not convert
  // (numbers as decimal text); none for a key an import restores only when it
  // is present and converts.
  std::optional<std::string> loadDefault;
  // The control whose key this one follows in the file; empty when the file
  // holds the section's keys in declaration order.
  std::string after;
};

struct Setting {
  std::string name;  // the control's object name
  ControlKind kind = ControlKind::Edit;
  std::string page;     // the tab sheet holding it ("radioPage" .. or "filterWindow")
  std::string caption;  // label beside it ("" for none)
  std::string hint;
  std::string defaultText;         // edit boxes
  int defaultIndex = -1;           // combo boxes: item selected at start-up; check boxes: 1 checked
  int maxLength = 0;               // edit boxes: the longest text a user can type
  std::vector<std::string> items;  // combo boxes, in order
  int offset = -1;                 // first byte in the configuration image
  int width = 0;                   // bytes it owns there
  Encoding encoding = Encoding::None;
  Rule rule = Rule::None;
  std::int32_t low = 0;
  std::int32_t high = 0;
  std::string message;          // the range message of its rule
  std::string partner;          // GuardedSsid: the to-call box whose empty text skips this SSID
  bool decoded = true;          // false: a configuration read leaves the control alone
  bool stored = true;           // false: declared .notStored(), the image keeps no place for it
  std::optional<FileKey> file;  // none: the configuration file does not hold it
};

}  // namespace zorbel::settings
