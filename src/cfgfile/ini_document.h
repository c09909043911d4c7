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
//
// The document is the file's own bytes and a few offsets into them: a table of
// section headers (one per name) made when it is read, a table of keys made for
// a section the first time it is looked up, and the changes set() made. A
// document of any shape costs a small multiple of its size, however short its
// lines. Lookups fill that second table, so one document is not for two
// threads at once.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "line_name_table.h"

namespace zorbel::cfgfile {

class IniDocument {
 public:
  // The longest value get() returns, as the profile routines' 2048-byte buffer allows.
  static constexpr std::size_t kMaxValueLength = 2047;

  enum class TextEncoding : unsigned char { EightBit, Utf8, Utf16Le };

  // An empty document; it serializes with CRLF line endings.
  IniDocument() = default;

  // Any bytes make a document; lines that are neither a section header nor an
  // entry are kept as they are. Throws std::length_error for 4 GiB or more.
  static IniDocument parse(std::string_view bytes);
  // The same, reading `bytes` where they are rather than a copy of them: they
  // must outlive the document.
  static IniDocument over(std::string_view bytes);

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
  using Offset = LineNameTable::Offset;

  // A line set() wrote: at `at` in the text, in place of `removed` bytes there
  // (an entry's text, never its line ending).
  struct Edit {
    Offset at = 0;
    Offset removed = 0;
    std::string text;  // UTF-8 for a UTF-8 or UTF-16 file
    std::string end;   // its line ending; a line ending alone ends the file's last line
  };
  // A key set() added, and its line.
  struct AddedKey {
    std::string name;
    std::size_t edit;  // in edits_
  };
  // A section of the file, looked up at least once.
  struct Section {
    Offset insertAt = 0;        // after its last non-blank line and that line's ending
    bool lastLacksEnd = false;  // that line is the file's last and has no line ending
    LineNameTable keys;         // its entry lines, the first of each key
    std::vector<AddedKey> added;
  };
  // Where a key of a section of the file stands: the edit that holds its line
  // (kNoEdit when none), else the file's line (kNoLine when none).
  static constexpr std::size_t kNoEdit = SIZE_MAX;
  struct Entry {
    std::size_t edit = kNoEdit;
    Offset line = LineNameTable::kNoLine;
  };
  // A section set() added at the end of the file.
  struct NewSection {
    std::string name;
    std::string before;  // a blank line parting it from the file's last one, or nothing
    std::string header;
    std::vector<std::pair<std::string, std::string>> entries;  // key and line, in order
  };

  static IniDocument read(std::string_view bytes, bool borrow);
  // The file without its byte-order mark; UTF-8 for a UTF-16 file.
  std::string_view content() const { return borrowing_ ? borrowed_ : std::string_view(owned_); }
  std::string_view lineAt(Offset start) const;
  std::optional<Offset> findHeader(std::string_view name) const;
  Section& sectionAt(Offset header) const;
  Entry findEntry(const Section& section, std::string_view key) const;
  std::string_view textOf(const Entry& entry) const;
  NewSection* findNewSection(std::string_view name);
  void endLastLine();
  void addSection(std::string_view name, std::string_view key, std::string line);
  std::optional<std::string> valueOf(std::string_view line) const;

  std::string owned_;
  std::string_view borrowed_;
  bool borrowing_ = false;
  std::string eol_ = "\r\n";
  TextEncoding encoding_ = TextEncoding::EightBit;
  std::string oddByte_;    // UTF-16LE: a last byte that makes no whole character
  LineNameTable headers_;  // section header lines, the first of each name
  mutable std::map<Offset, Section> sections_;  // by header line, made when first looked up
  std::vector<Edit> edits_;                 // in the order made; so they serialize at one offset
  std::map<Offset, std::size_t> replaced_;  // an entry line of the file -> the edit replacing it
  bool lastLineEnded_ = false;              // an edit gave the file's last line its ending
  std::vector<NewSection> newSections_;
};

}  // namespace zorbel::cfgfile
