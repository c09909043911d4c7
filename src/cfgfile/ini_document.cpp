#include "ini_document.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace zorbel::cfgfile {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
// What a character with no 8-bit form becomes, as in the windows: a byte the
// settings' character checks refuse, never a printable stand-in.
constexpr char kNoEightBitForm = 0x7F;

// The reader trims these around names and values: blanks, vertical tab, form feed and ^Z.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// "[name]" with blanks allowed around the brackets and the name; the name runs
// to the last "]" of the line, so "[Radio]]" is the section "Radio]".
std::optional<std::string_view> headerName(std::string_view text) {
  text = trim(text);
  if (text.empty() || text.front() != '[') return std::nullopt;
  const auto close = text.rfind(']');
  if (close == 0 || close == std::string_view::npos) return std::nullopt;
  return trim(text.substr(1, close - 1));
}

// An entry's key: the text before its first "=", or the whole line when it has none.
std::optional<std::string_view> keyName(std::string_view text) {
  const std::string_view key = trim(text.substr(0, text.find('=')));
  if (key.empty()) return std::nullopt;
  return key;
}

bool isBlankLine(std::string_view text) { return trim(text).empty(); }

bool isQuote(char c) { return c == '"' || c == '\''; }

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool isContinuation(std::string_view s, std::size_t i) {
  return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence at s[i], 0 when none starts there.
std::size_t sequenceLength(std::string_view s, std::size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  const std::size_t n = b < 0x80                 ? 1
                        : b >= 0xC2 && b <= 0xDF ? 2
                        : b >= 0xE0 && b <= 0xEF ? 3
                        : b >= 0xF0 && b <= 0xF4 ? 4
                                                 : 0;
  for (std::size_t k = 1; k < n; ++k) {
    if (!isContinuation(s, i + k)) return 0;
  }
  return n;
}

// UTF-8 as 8-bit text: U+0000 to U+00FF as their byte, every other character
// and every byte that starts no character as 0x7F.
std::string eightBitFromUtf8(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = sequenceLength(s, i);
    if (n == 1) {
      out += s[i];
    } else if (n == 2 && static_cast<unsigned char>(s[i]) <= 0xC3) {
      out += static_cast<char>(((s[i] & 0x03) << 6) | (s[i + 1] & 0x3F));
    } else {
      out += kNoEightBitForm;
    }
    i += n == 0 ? 1 : n;
  }
  return out;
}

std::string utf8FromEightBit(std::string_view s) {
  std::string out;
  for (char c : s) appendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

// UTF-16LE code units as UTF-8; a surrogate without its partner is written as
// the three bytes of its own code, so that the way back gives the same units.
std::string utf8FromUtf16Le(std::string_view s) {
  std::string out;
  out.reserve(s.size() / 2);
  const auto unit = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(s[i]) |
                                 static_cast<unsigned char>(s[i + 1]) << 8);
  };
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < s.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    appendUtf8(out, u);
  }
  return out;
}

// The way back from utf8FromUtf16Le(), which only ever makes whole sequences.
void appendUtf16LeFromUtf8(std::string& out, std::string_view s) {
  const auto put = [&](char32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (i + n > s.size()) n = s.size() - i;
    char32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
    for (std::size_t k = 1; k < n; ++k)
      c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
    i += n;
  }
}

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

// Where the line that starts at `start` ends, before its line ending.
std::size_t lineEnd(std::string_view text, std::size_t start) {
  std::size_t end = start;
  while (end < text.size() && !isLineBreak(text[end])) ++end;
  return end;
}

// The length of the line ending at `end`: CRLF, LF, a lone CR, or none at the end of the text.
std::size_t endingLength(std::string_view text, std::size_t end) {
  if (end == text.size()) return 0;
  return text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
}

// Where the text's last line starts.
std::size_t lastLineStart(std::string_view text) {
  std::size_t end = text.size();
  if (end > 0 && text[end - 1] == '\n') --end;
  if (end > 0 && text[end - 1] == '\r') --end;
  while (end > 0 && !isLineBreak(text[end - 1])) --end;
  return end;
}

}  // namespace

IniDocument IniDocument::parse(std::string_view bytes) { return read(bytes, false); }

IniDocument IniDocument::over(std::string_view bytes) { return read(bytes, true); }

IniDocument IniDocument::read(std::string_view bytes, bool borrow) {
  IniDocument doc;
  if (bytes.starts_with(kUtf8Mark)) {
    doc.encoding_ = TextEncoding::Utf8;
    bytes.remove_prefix(kUtf8Mark.size());
  } else if (bytes.starts_with(kUtf16LeMark)) {
    doc.encoding_ = TextEncoding::Utf16Le;
    bytes.remove_prefix(kUtf16LeMark.size());
    if (bytes.size() % 2 != 0) doc.oddByte_ = std::string(bytes.substr(bytes.size() - 1));
  }
  if (doc.encoding_ == TextEncoding::Utf16Le)
    doc.owned_ = utf8FromUtf16Le(bytes);
  else if (borrow)
    doc.borrowed_ = bytes;
  else
    doc.owned_ = std::string(bytes);
  doc.borrowing_ = borrow && doc.encoding_ != TextEncoding::Utf16Le;
  if (doc.content().size() >= LineNameTable::kNoLine)
    throw std::length_error("an INI document must be shorter than 4 GiB");

  const std::string_view text = doc.content();
  const auto headerAt = [&](Offset at) { return *headerName(doc.lineAt(at)); };
  bool eolSeen = false;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = lineEnd(text, pos);
    const std::size_t ending = endingLength(text, end);
    if (ending > 0 && !eolSeen) {
      doc.eol_ = std::string(text.substr(end, ending));
      eolSeen = true;
    }
    if (const auto name = headerName(text.substr(pos, end - pos)))
      doc.headers_.insert(static_cast<Offset>(pos), *name, headerAt);
    pos = end + ending;
  }
  return doc;
}

std::string_view IniDocument::lineAt(Offset start) const {
  const std::string_view text = content();
  return text.substr(start, lineEnd(text, start) - start);
}

// The section's extent, its keys and where a new key goes, read once.
IniDocument::Section& IniDocument::sectionAt(Offset header) const {
  const auto [it, made] = sections_.try_emplace(header);
  Section& section = it->second;
  if (!made) return section;
  const std::string_view text = content();
  const auto keyAt = [&](Offset at) { return *keyName(lineAt(at)); };
  std::size_t end = header + lineAt(header).size();
  std::size_t pos = end + endingLength(text, end);
  section.insertAt = static_cast<Offset>(pos);
  section.lastLacksEnd = end == text.size();
  while (pos < text.size()) {
    end = lineEnd(text, pos);
    const std::string_view line = text.substr(pos, end - pos);
    if (headerName(line)) break;
    const std::size_t next = end + endingLength(text, end);
    if (!isBlankLine(line)) {
      section.insertAt = static_cast<Offset>(next);
      section.lastLacksEnd = end == text.size();
    }
    if (const auto key = keyName(line)) section.keys.insert(static_cast<Offset>(pos), *key, keyAt);
    pos = next;
  }
  return section;
}

IniDocument::Entry IniDocument::findEntry(const Section& section, std::string_view key) const {
  const auto keyAt = [&](Offset at) { return *keyName(lineAt(at)); };
  if (const auto line = section.keys.find(key, keyAt)) {
    const auto edit = replaced_.find(*line);
    return {edit == replaced_.end() ? kNoEdit : edit->second, *line};
  }
  for (const AddedKey& added : section.added)
    if (LineNameTable::sameName(added.name, key)) return {added.edit, LineNameTable::kNoLine};
  return {};
}

std::string_view IniDocument::textOf(const Entry& entry) const {
  return entry.edit != kNoEdit ? std::string_view(edits_[entry.edit].text) : lineAt(entry.line);
}

IniDocument::NewSection* IniDocument::findNewSection(std::string_view name) {
  for (NewSection& section : newSections_)
    if (LineNameTable::sameName(section.name, name)) return &section;
  return nullptr;
}

std::optional<IniDocument::Offset> IniDocument::findHeader(std::string_view name) const {
  return headers_.find(name, [&](Offset at) { return *headerName(lineAt(at)); });
}

// What get() returns for an entry line: trimmed, ended at a NUL byte, one pair
// of matching quotes removed, as 8-bit text, cut to the buffer and trimmed
// again so that a cut never leaves blanks a rewrite would lose.
std::optional<std::string> IniDocument::valueOf(std::string_view line) const {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  std::string_view value = trim(line.substr(eq + 1));
  value = value.substr(0, value.find('\0'));
  if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  std::string text =
      encoding_ == TextEncoding::EightBit ? std::string(value) : eightBitFromUtf8(value);
  if (text.size() > kMaxValueLength)
    text = std::string(trim(std::string_view(text).substr(0, kMaxValueLength)));
  return text;
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
  if (const auto header = findHeader(section)) {
    const Entry entry = findEntry(sectionAt(*header), key);
    if (entry.edit == kNoEdit && entry.line == LineNameTable::kNoLine) return std::nullopt;
    return valueOf(textOf(entry));
  }
  for (const NewSection& s : newSections_) {
    if (!LineNameTable::sameName(s.name, section)) continue;
    for (const auto& [name, line] : s.entries)
      if (LineNameTable::sameName(name, key)) return valueOf(line);
    return std::nullopt;
  }
  return std::nullopt;
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  std::string plain;
  for (char c : value) plain += (c == '\r' || c == '\n') ? ' ' : c;
  std::string stored = plain;
  // A value that begins and ends with matching quotes, or with a blank at
  // either end, would not read back as it is: one more pair keeps it whole.
  const bool quoted =
      stored.size() >= 2 && isQuote(stored.front()) && stored.back() == stored.front();
  if (quoted || (!stored.empty() && (isBlank(stored.front()) || isBlank(stored.back())))) {
    stored = '"' + stored + '"';
  }
  std::string line = std::string(key) + "=" +
                     (encoding_ == TextEncoding::EightBit ? stored : utf8FromEightBit(stored));

  if (const auto header = findHeader(section)) {
    Section& s = sectionAt(*header);
    const Entry entry = findEntry(s, key);
    if (entry.edit != kNoEdit || entry.line != LineNameTable::kNoLine) {
      if (valueOf(textOf(entry)) == plain) return;
      if (entry.edit != kNoEdit) {
        edits_[entry.edit].text = std::move(line);
      } else {
        replaced_.emplace(entry.line, edits_.size());
        edits_.push_back(
            {entry.line, static_cast<Offset>(lineAt(entry.line).size()), std::move(line), {}});
      }
      return;
    }
    // After the last non-blank line of the section (the header at least), so
    // blank lines that part it from the next section stay where they are.
    if (s.lastLacksEnd) endLastLine();
    s.added.push_back({std::string(key), edits_.size()});
    edits_.push_back({s.insertAt, 0, std::move(line), eol_});
    return;
  }

  if (NewSection* s = findNewSection(section)) {
    for (auto& [name, old] : s->entries) {
      if (!LineNameTable::sameName(name, key)) continue;
      if (valueOf(old) != plain) old = std::move(line);
      return;
    }
    s->entries.emplace_back(std::string(key), std::move(line));
    return;
  }
  addSection(section, key, std::move(line));
}

// Gives the file's last line, which has none, its line ending.
void IniDocument::endLastLine() {
  if (lastLineEnded_) return;
  edits_.push_back({static_cast<Offset>(content().size()), 0, {}, eol_});
  lastLineEnded_ = true;
}

// A new section at the end, after a blank line when the file's last line is not one.
void IniDocument::addSection(std::string_view name, std::string_view key, std::string line) {
  NewSection& s = newSections_.emplace_back();
  s.name = std::string(name);
  s.header = "[" + s.name + "]";
  s.entries.emplace_back(std::string(key), std::move(line));
  if (newSections_.size() > 1) {
    s.before = eol_;
    return;
  }
  // Lines set() added at the very end are entries, never blank.
  const bool addedAtEnd = std::any_of(edits_.begin(), edits_.end(), [&](const Edit& e) {
    return e.at == content().size() && !e.text.empty();
  });
  if (addedAtEnd) {
    s.before = eol_;
  } else if (!content().empty()) {
    const std::size_t start = lastLineStart(content());
    const std::string_view last = lineAt(static_cast<Offset>(start));
    if (start + last.size() == content().size()) endLastLine();
    if (!isBlankLine(last)) s.before = eol_;
  }
}

std::string IniDocument::serialize() const {
  std::string out;
  const auto put = [&](std::string_view piece) {
    if (encoding_ == TextEncoding::Utf16Le)
      appendUtf16LeFromUtf8(out, piece);
    else
      out.append(piece);
  };
  std::size_t size = content().size() + oddByte_.size() + 3;
  for (const Edit& e : edits_) size += e.text.size() + e.end.size();
  for (const NewSection& s : newSections_) {
    size += s.before.size() + s.header.size() + eol_.size();
    for (const auto& entry : s.entries) size += entry.second.size() + eol_.size();
  }
  out.reserve(encoding_ == TextEncoding::Utf16Le ? 2 * size : size);

  switch (encoding_) {
    case TextEncoding::EightBit:
      break;
    case TextEncoding::Utf8:
      out += kUtf8Mark;
      break;
    case TextEncoding::Utf16Le:
      out += kUtf16LeMark;
      break;
  }
  // Edits at one place go in the order they were made.
  std::vector<std::size_t> order(edits_.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return edits_[a].at < edits_[b].at; });
  const std::string_view text = content();
  std::size_t from = 0;
  for (const std::size_t i : order) {
    const Edit& e = edits_[i];
    put(text.substr(from, e.at - from));
    put(e.text);
    put(e.end);
    from = e.at + e.removed;
  }
  put(text.substr(from));
  for (const NewSection& s : newSections_) {
    put(s.before);
    put(s.header);
    put(eol_);
    for (const auto& entry : s.entries) {
      put(entry.second);
      put(eol_);
    }
  }
  out += oddByte_;
  return out;
}

}  // namespace zorbel::cfgfile
