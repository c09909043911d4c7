#include "search.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "catalog.h"

namespace zorbel::settings {
namespace {

// Words users say for what the captions call otherwise: APRS-IS speaks of a
// "passcode" where the window asks for a "Password".
constexpr std::array<std::pair<std::string_view, std::string_view>, 1> kOtherWords{{
    {"passcode", "password"},
}};

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool isWordStart(const std::string& text, std::size_t at) {
  if (at == 0) return true;
  const char before = text[at - 1];
  return !((before >= 'a' && before <= 'z') || (before >= '0' && before <= '9'));
}

// 0 when `word` starts a word of `text`, 1 when it stands inside one, none
// when `text` does not hold it.
std::optional<int> place(const std::string& text, std::string_view word) {
  std::optional<int> best;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    if (isWordStart(text, at)) return 0;
    best = 1;
  }
  return best;
}

struct Searchable {
  std::string caption;
  std::string key;  // the control's name and the file's key
  std::string hint;
};

// Rank of `word` in `s`: field * 2 + place, lower is better; none when absent.
std::optional<int> rank(const Searchable& s, std::string_view word) {
  const std::array<const std::string*, 3> fields{&s.caption, &s.key, &s.hint};
  for (std::size_t field = 0; field < fields.size(); ++field) {
    if (const auto at = place(*fields[field], word)) return static_cast<int>(field) * 2 + *at;
  }
  return std::nullopt;
}

std::optional<int> rankWithOtherWords(const Searchable& s, std::string_view word) {
  std::optional<int> best = rank(s, word);
  for (const auto& [said, meant] : kOtherWords) {
    if (!said.starts_with(word) || word.size() < 4) continue;
    if (const auto r = rank(s, meant); r && (!best || *r < *best)) best = r;
  }
  return best;
}

const std::vector<Searchable>& searchables() {
  static const std::vector<Searchable> all = [] {
    std::vector<Searchable> out;
    for (const Setting& s : allSettings()) {
      std::string key = lowered(s.name);
      if (s.file) key += " " + lowered(s.file->key);
      out.push_back({lowered(s.caption), key, lowered(s.hint)});
    }
    return out;
  }();
  return all;
}

std::vector<std::string> words(std::string_view query) {
  std::vector<std::string> out;
  const std::string text = lowered(query);
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find_first_of(" \t", at);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    if (stop > at) out.push_back(text.substr(at, stop - at));
    at = stop + 1;
  }
  return out;
}

}  // namespace

std::vector<SettingMatch> searchSettings(std::string_view query) {
  const std::vector<std::string> wanted = words(query);
  if (wanted.empty()) return {};
  struct Ranked {
    int rank;
    std::size_t setting;
  };
  std::vector<Ranked> found;
  const std::vector<Searchable>& all = searchables();
  for (std::size_t i = 0; i < all.size(); ++i) {
    int worst = 0;
    bool every = true;
    for (const std::string& word : wanted) {
      const auto r = rankWithOtherWords(all[i], word);
      if (!r) {
        every = false;
        break;
      }
      worst = std::max(worst, *r);
    }
    if (every) found.push_back({worst, i});
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Ranked& a, const Ranked& b) { return a.rank < b.rank; });
  std::vector<SettingMatch> out;
  out.reserve(found.size());
  for (const Ranked& r : found) out.push_back({r.setting, static_cast<MatchedBy>(r.rank / 2)});
  return out;
}

}  // namespace zorbel::settings
