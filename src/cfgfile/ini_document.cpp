#include "ini_document.h"

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

// Names compare without regard to ASCII letter case; other bytes compare as they are.
unsigned char fold(char c) {
  return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
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
std::string utf16LeFromUtf8(std::string_view s) {
  std::string out;
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
  return out;
}

}  // namespace

std::size_t IniDocument::NoCaseHash::operator()(std::string_view s) const {
  std::size_t h = 14695981039346656037ull;  // FNV-1a
  for (char c : s) h = (h ^ fold(c)) * 1099511628211ull;
  return h;
}

bool IniDocument::NoCaseEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

IniDocument IniDocument::parse(std::string_view bytes) {
  IniDocument doc;
  std::string utf8;
  if (bytes.starts_with(kUtf8Mark)) {
    doc.encoding_ = TextEncoding::Utf8;
    bytes.remove_prefix(kUtf8Mark.size());
  } else if (bytes.starts_with(kUtf16LeMark)) {
    doc.encoding_ = TextEncoding::Utf16Le;
    bytes.remove_prefix(kUtf16LeMark.size());
    if (bytes.size() % 2 != 0) doc.oddByte_ = std::string(bytes.substr(bytes.size() - 1));
    utf8 = utf8FromUtf16Le(bytes);
    bytes = utf8;
  }

  bool eolSeen = false;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto brk = bytes.find_first_of("\r\n", pos);
    Line line;
    if (brk == std::string_view::npos) {
      line.text = std::string(bytes.substr(pos));
      pos = bytes.size();
    } else {
      line.text = std::string(bytes.substr(pos, brk - pos));
      const bool crlf = bytes[brk] == '\r' && brk + 1 < bytes.size() && bytes[brk + 1] == '\n';
      line.end = crlf ? "\r\n" : std::string(1, bytes[brk]);
      pos = brk + line.end.size();
      if (!eolSeen) {
        doc.eol_ = line.end;
        eolSeen = true;
      }
    }

    if (const auto name = headerName(line.text)) {
      doc.byName_.try_emplace(std::string(*name), doc.sections_.size());
      Section& section = doc.sections_.emplace_back();
      section.lines.push_back(std::move(line));
    } else {
      Section& section = doc.sections_.back();
      section.lines.push_back(std::move(line));
      doc.indexLine(section, section.lines.size() - 1);
    }
  }
  return doc;
}

void IniDocument::indexLine(Section& section, std::size_t index) {
  if (const auto key = keyName(section.lines[index].text))
    section.keys.try_emplace(std::string(*key), index);
}

const IniDocument::Section* IniDocument::findSection(std::string_view name) const {
  const auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : &sections_[it->second];
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
  const Section* s = findSection(section);
  if (s == nullptr) return std::nullopt;
  const auto it = s->keys.find(key);
  if (it == s->keys.end()) return std::nullopt;
  return valueOf(s->lines[it->second].text);
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
  const std::string text =
      std::string(key) + "=" +
      (encoding_ == TextEncoding::EightBit ? stored : utf8FromEightBit(stored));

  const auto found = byName_.find(section);
  if (found == byName_.end()) {
    // A new section at the end, after a blank line when the file has content.
    Line* last = nullptr;
    for (auto it = sections_.rbegin(); it != sections_.rend() && last == nullptr; ++it) {
      if (!it->lines.empty()) last = &it->lines.back();
    }
    if (last != nullptr) {
      if (last->end.empty()) last->end = eol_;
      if (!isBlankLine(last->text)) sections_.back().lines.push_back(Line{"", eol_});
    }
    byName_.emplace(std::string(section), sections_.size());
    Section& s = sections_.emplace_back();
    s.lines.push_back(Line{"[" + std::string(section) + "]", eol_});
    s.lines.push_back(Line{text, eol_});
    s.keys.emplace(std::string(key), 1);
    return;
  }

  Section& s = sections_[found->second];
  const auto k = s.keys.find(key);
  if (k != s.keys.end()) {
    Line& line = s.lines[k->second];
    if (valueOf(line.text) != plain) line.text = text;
    return;
  }

  // After the last non-blank line of the section (the header at least), so
  // blank lines that part it from the next section stay where they are. Only
  // blank lines follow the insertion point, so no indexed key moves.
  std::size_t at = s.lines.size();
  while (at > 1 && isBlankLine(s.lines[at - 1].text)) --at;
  if (s.lines[at - 1].end.empty()) s.lines[at - 1].end = eol_;
  s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), Line{text, eol_});
  s.keys.emplace(std::string(key), at);
}

std::string IniDocument::serialize() const {
  std::string text;
  for (const Section& s : sections_) {
    for (const Line& line : s.lines) {
      text += line.text;
      text += line.end;
    }
  }
  switch (encoding_) {
    case TextEncoding::EightBit:
      return text;
    case TextEncoding::Utf8:
      return std::string(kUtf8Mark) + text;
    case TextEncoding::Utf16Le:
      return std::string(kUtf16LeMark) + utf16LeFromUtf8(text) + oddByte_;
  }
  return text;
}

}  // namespace zorbel::cfgfile
