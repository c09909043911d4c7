#pragma once
// An INI text file held in memory, read and changed the way the Windows
// profile routines do it, so configuration files travel both ways.
//
// - Lines end in CRLF, LF or a lone CR; a file keeps its own line ending when
//   rewritten (the first one found), a new file uses CRLF.
// - Section and key names match without regard to ASCII letter case; blanks
//   (space, tab) around names and values are ignored when reading.
// - Values are 8-bit bytes, stored verbatim: no quoting, no escaping, no comments.
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

  // An empty document; it serializes with CRLF line endings.
  IniDocument() : sections_(1) {}

  // Any bytes make a document; lines that are neither a section header nor a
  // key line are kept as they are.
  static IniDocument parse(std::string_view bytes);

  // The value of `key` in `section`, without the blanks around it and cut to
  // kMaxValueLength; nullopt when the section or the key is missing.
  // Key lines before the first section header belong to no section.
  std::optional<std::string> get(std::string_view section, std::string_view key) const;

  // Sets `key` in `section` to `value`. A present key gets its value replaced
  // where it stands (the line is left alone when it already reads `value`); a
  // missing key goes after the last non-blank line of its section; a missing
  // section goes at the end. A line break cannot live in a value: CR and LF in
  // `value` are written as spaces.
  void set(std::string_view section, std::string_view key, std::string_view value);

  // The whole file.
  std::string serialize() const;

  // "\r\n", "\n" or "\r": what lines written by set() end with.
  const std::string& lineEnding() const { return eol_; }

 private:
  struct Line {
    std::string text;  // without its line ending
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

  std::vector<Section> sections_;                        // sections_[0]: lines before any header
  NameIndex byName_;                                     // name -> index in sections_, first occurrence
  std::string eol_ = "\r\n";
};

}  // namespace zorbel::cfgfile
