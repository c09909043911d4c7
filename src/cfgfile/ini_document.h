#pragma once
// An INI text file held in memory, read and changed the way the Windows
// profile routines do it, so configuration files travel both ways.
//
// - Lines end in CRLF, LF or a lone CR; a file keeps its own line ending when
//   rewritten (the first one found), a new file uses CRLF.
// - A file that starts with a UTF-8 byte-order mark is UTF-8, one that starts
//   with a UTF-16LE byte-order mark is UTF-16LE, any other is 8-bit. Values
//   are 8-bit bytes: get() gives a UTF-8 or UTF-16 text as 8-bit, a character
//   with no 8-bit form as 0x7F, and set() writes in the file's own encoding.
// - Section and key names match without regard to ASCII letter case; blanks
//   (space, tab, vertical tab, form feed, ^Z) around names and values are
//   ignored when reading.
// - A section header runs from "[" to the last "]" of its line.
// - A non-blank line that is not a section header is an entry: its key, "="
//   and its value, or only a key, which then has no value.
// - A value ends at a NUL byte, and one pair of matching quotes (" or ')
//   around it is removed; set() puts a value the reader would change (quotes
//   or blanks at its ends) inside one more pair of double quotes.
// - Every line that set() does not touch is serialized byte for byte.
// - With repeated sections or keys the first one counts, for reading and writing.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zorbel::cfgfile {

class IniDocument {
 public:
  // The longest value get() returns, as the profile routines' 2048-byte buffer allows.
  static constexpr std::size_t kMaxValueLength = 2047;

  enum class TextEncoding : unsigned char { EightBit, Utf8, Utf16Le };

  // An empty document; it serializes with CRLF line endings.
  IniDocument() : sections_(1) {}

  // Any bytes make a document; lines that are neither a section header nor an
  // entry are kept as they are.
  static IniDocument parse(std::string_view bytes);

  // The value of `key` in `section`, as 8-bit text, cut to kMaxValueLength;
  // nullopt when the section or the key is missing or the key has no value.
  // Entries before the first section header belong to no section.
  std::optional<std::string> get(std::string_view section, std::string_view key) const;

  // Sets `key` in `section` to the 8-bit `value`. A present key gets its value
  // replaced where it stands (the line is left alone when it already reads
  // `value`); a missing key goes after the last non-blank line of its section;
  // a missing section goes at the end. A line break cannot live in a value:
  // CR and LF in `value` are written as spaces.
  void set(std::string_view section, std::string_view key, std::string_view value);

  // The whole file, in its own encoding.
  std::string serialize() const;

  // "\r\n", "\n" or "\r": what lines written by set() end with.
  const std::string& lineEnding() const { return eol_; }
  TextEncoding encoding() const { return encoding_; }

 private:
  struct Line {
    std::string text;  // without its line ending; UTF-8 for a UTF-8 or UTF-16 file
    std::string end;   // "\r\n", "\n", "\r", or "" for a last line without one
  };
  // Names hash and compare without regard to ASCII letter case, looked up without a copy.
  struct NoCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const;
  };
  struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  using NameIndex = std::unordered_map<std::string, std::size_t, NoCaseHash, NoCaseEqual>;

  struct Section {
    std::vector<Line> lines;  // the header line first (none for the lines before any header)
    NameIndex keys;           // key -> index in lines, first occurrence
  };

  const Section* findSection(std::string_view name) const;
  void indexLine(Section& section, std::size_t index);
  std::optional<std::string> valueOf(std::string_view line) const;

  std::vector<Section> sections_;  // sections_[0]: lines before any header
  NameIndex byName_;               // name -> index in sections_, first occurrence
  std::string eol_ = "\r\n";
  TextEncoding encoding_ = TextEncoding::EightBit;
  std::string oddByte_;  // UTF-16LE: a last byte that makes no whole character
};

}  // namespace zorbel::cfgfile
