#include "ini_document.h"

namespace zorbel::cfgfile {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Names compare without regard to ASCII letter case; other bytes compare as they are.
unsigned char fold(char c) {
  return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// "[name]" with blanks allowed around the brackets and the name; anything after "]" is ignored.
std::optional<std::string_view> headerName(std::string_view text) {
  text = trim(text);
  if (text.empty() || text.front() != '[') return std::nullopt;
  const auto close = text.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trim(text.substr(1, close - 1));
}

std::optional<std::string_view> keyName(std::string_view text) {
  const auto eq = text.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = trim(text.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return key;
}

// What get() returns for a key line: trimmed, cut to the buffer, and trimmed
// again so that a cut never leaves blanks a rewrite would lose.
std::string valueOf(std::string_view text) {
  std::string_view value = trim(text.substr(text.find('=') + 1));
  if (value.size() > IniDocument::kMaxValueLength) value = trim(value.substr(0, IniDocument::kMaxValueLength));
  return std::string(value);
}

bool isBlankLine(std::string_view text) { return trim(text).empty(); }

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
  if (const auto key = keyName(section.lines[index].text)) section.keys.try_emplace(std::string(*key), index);
}

const IniDocument::Section* IniDocument::findSection(std::string_view name) const {
  const auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
  const Section* s = findSection(section);
  if (s == nullptr) return std::nullopt;
  const auto it = s->keys.find(key);
  if (it == s->keys.end()) return std::nullopt;
  return valueOf(s->lines[it->second].text);
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  std::string text = std::string(key) + "=";
  for (char c : value) text += (c == '\r' || c == '\n') ? ' ' : c;

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
    s.lines.push_back(Line{std::move(text), eol_});
    s.keys.emplace(std::string(key), 1);
    return;
  }

  Section& s = sections_[found->second];
  const auto k = s.keys.find(key);
  if (k != s.keys.end()) {
    Line& line = s.lines[k->second];
    if (valueOf(line.text) != std::string_view(text).substr(key.size() + 1)) line.text = std::move(text);
    return;
  }

  // After the last non-blank line of the section (the header at least), so
  // blank lines that part it from the next section stay where they are. Only
  // blank lines follow the insertion point, so no indexed key moves.
  std::size_t at = s.lines.size();
  while (at > 1 && isBlankLine(s.lines[at - 1].text)) --at;
  if (s.lines[at - 1].end.empty()) s.lines[at - 1].end = eol_;
  s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), eol_});
  s.keys.emplace(std::string(key), at);
}

std::string IniDocument::serialize() const {
  std::string out;
  for (const Section& s : sections_) {
    for (const Line& line : s.lines) {
      out += line.text;
      out += line.end;
    }
  }
  return out;
}

}  // namespace zorbel::cfgfile
