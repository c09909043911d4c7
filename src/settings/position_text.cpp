#include "position_text.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "value_shapes.h"

namespace zorbel::settings {
namespace {

// Hundredths of a minute in a degree, and the limits of the two coordinates.
constexpr long kPerDegree = 6000;
constexpr long kLatitudeLimit = 90 * kPerDegree;
constexpr long kLongitudeLimit = 180 * kPerDegree;

// Wide enough for 18 decimals times the hundredths in 180 degrees.
__extension__ using Wide = __int128;

// An exact value num/den in hundredths of a minute: decimals such as 59.995
// must round as written, which a binary fraction cannot promise.
struct Exact {
  Wide num = 0;
  Wide den = 1;
};

Exact add(Exact a, Exact b) { return {a.num * b.den + b.num * a.den, a.den * b.den}; }

// To the nearest hundredth, halves away from zero (the same in both hemispheres).
long rounded(Exact e) {
  const Wide magnitude = e.num < 0 ? -e.num : e.num;
  const auto r = static_cast<long>((2 * magnitude + e.den) / (2 * e.den));
  return e.num < 0 ? -r : r;
}

Error notUnderstood(const std::string& what) { return makeError(ErrorKind::Range, what); }

enum class Mark { None, Degrees, Minutes, Seconds };

struct Token {
  enum class Kind { Number, Letter, Separator } kind = Kind::Number;
  char letter = 0;  // N, S, E or W
  int sign = 0;     // -1 or +1 when written
  std::string integer;
  std::string fraction;
  Mark mark = Mark::None;
  std::string spelled;  // as typed, for messages
};

// The marks people put after degrees, minutes and seconds (ASCII or UTF-8).
Mark markAt(std::string_view s, std::size_t& i) {
  const auto starts = [&](std::string_view m) { return s.substr(i, m.size()) == m; };
  struct Spelling {
    std::string_view text;
    Mark mark;
  };
  static constexpr std::array<Spelling, 10> kMarks{{{"''", Mark::Seconds},
                                                    {"\"", Mark::Seconds},
                                                    {"\u2033", Mark::Seconds},
                                                    {"\u201D", Mark::Seconds},
                                                    {"'", Mark::Minutes},
                                                    {"\u2032", Mark::Minutes},
                                                    {"\u2019", Mark::Minutes},
                                                    {"\u00B0", Mark::Degrees},
                                                    {"\u00BA", Mark::Degrees},
                                                    {"\u02DA", Mark::Degrees}}};
  for (const Spelling& m : kMarks) {
    if (starts(m.text)) {
      i += m.text.size();
      return m.mark;
    }
  }
  return Mark::None;
}

// One character as typed (a whole UTF-8 sequence), for a message.
std::string characterAt(std::string_view s, std::size_t i) {
  std::size_t end = i + 1;
  while (end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) ++end;
  return std::string(s.substr(i, end - i));
}

Result<std::vector<Token>> tokens(std::string_view s) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      ++i;
      continue;
    }
    if (c == ',' || c == ';') {
      Token t;
      t.kind = Token::Kind::Separator;
      out.push_back(t);
      ++i;
      continue;
    }
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == 'N' || upper == 'S' || upper == 'E' || upper == 'W') {
      Token t;
      t.kind = Token::Kind::Letter;
      t.letter = upper;
      out.push_back(t);
      ++i;
      continue;
    }
    const std::size_t start = i;
    Token t;
    if (c == '+' || c == '-') {
      t.sign = c == '-' ? -1 : 1;
      ++i;
    }
    while (i < s.size() && shapes::digit(s[i])) t.integer += s[i++];
    if (i < s.size() && s[i] == '.') {
      ++i;
      while (i < s.size() && shapes::digit(s[i])) t.fraction += s[i++];
    }
    if (t.integer.empty() && t.fraction.empty()) {
      return notUnderstood("'" + characterAt(s, start) + "' is not understood");
    }
    t.spelled = std::string(s.substr(start, i - start));
    // Enough digits for any position; more would overflow the exact sums.
    if (t.integer.size() > 9 || t.fraction.size() > 18) {
      return notUnderstood("'" + t.spelled + "' has too many digits");
    }
    std::size_t j = i;
    while (j < s.size() && s[j] == ' ') ++j;
    t.mark = markAt(s, j);
    if (t.mark != Mark::None) i = j;
    out.push_back(t);
  }
  return out;
}

struct Group {
  std::vector<Token> parts;
  char letter = 0;
  int sign = 0;
  bool empty() const { return parts.empty() && letter == 0; }
};

// Splits the tokens into coordinates: at a comma, at a letter (which comes
// before its numbers when the text starts with one, else after them), at a
// signed number or a number marked as degrees after other numbers.
Result<std::vector<Group>> groups(const std::vector<Token>& all) {
  std::vector<Group> out;
  Group current;
  const bool lettersFirst = !all.empty() && all.front().kind == Token::Kind::Letter;
  const auto close = [&] {
    if (!current.empty()) out.push_back(current);
    current = {};
  };
  for (const Token& t : all) {
    switch (t.kind) {
      case Token::Kind::Separator:
        if (current.empty() && out.size() != 1) return notUnderstood("',' stands alone");
        close();
        break;
      case Token::Kind::Letter:
        if (lettersFirst) {
          close();
          current.letter = t.letter;
        } else {
          if (current.parts.empty())
            return notUnderstood(std::string("'") + t.letter + "' follows no number");
          current.letter = t.letter;
          close();
        }
        break;
      case Token::Kind::Number:
        if (!current.parts.empty() && (t.sign != 0 || t.mark == Mark::Degrees)) close();
        if (current.parts.empty()) current.sign = t.sign;
        if (!current.parts.empty() && t.sign != 0)
          return notUnderstood("'" + t.spelled + "' has a sign inside a coordinate");
        current.parts.push_back(t);
        break;
    }
  }
  close();
  // "52 21.6 16 54.6": without marks or letters, the numbers split in halves.
  if (out.size() == 1 && out[0].letter == 0 && out[0].parts.size() % 2 == 0 &&
      out[0].parts.size() <= 6) {
    bool marked = false;
    for (const Token& t : out[0].parts) marked = marked || t.mark != Mark::None;
    if (!marked) {
      Group second;
      const auto half = static_cast<std::ptrdiff_t>(out[0].parts.size() / 2);
      second.parts.assign(out[0].parts.begin() + half, out[0].parts.end());
      second.sign = second.parts.front().sign;
      out[0].parts.resize(static_cast<std::size_t>(half));
      out.push_back(second);
    }
  }
  if (out.size() != 2) return notUnderstood("a latitude and a longitude are needed");
  return out;
}

Exact decimal(const Token& t, Wide unitsPerWhole, Wide divisor) {
  Wide num = 0;
  Wide den = 1;
  for (char d : t.integer) num = num * 10 + (d - '0');
  for (char d : t.fraction) {
    num = num * 10 + (d - '0');
    den *= 10;
  }
  return {num * unitsPerWhole, den * divisor};
}

// One coordinate in hundredths of a minute, signed; `latitude` picks the
// letters and the limit.
Result<long> coordinate(const Group& g, bool latitude) {
  const char* name = latitude ? "latitude" : "longitude";
  const bool southOrWest = latitude ? g.letter == 'S' : g.letter == 'W';
  const bool ours = g.letter == 0 || southOrWest || g.letter == (latitude ? 'N' : 'E');
  if (!ours) return notUnderstood(std::string("'") + g.letter + "' does not belong to a " + name);
  if (g.parts.empty()) return notUnderstood(std::string("'") + g.letter + "' has no number");
  if (g.sign < 0 && g.letter != 0)
    return notUnderstood(std::string("the ") + name + " has both a minus sign and a letter");
  if (g.parts.size() > 3)
    return notUnderstood(std::string("the ") + name + " has too many numbers");
  Exact total{0, 1};
  int next = 0;  // 0 degrees, 1 minutes, 2 seconds
  for (std::size_t i = 0; i < g.parts.size(); ++i) {
    const Token& t = g.parts[i];
    const int part = t.mark == Mark::None ? next : static_cast<int>(t.mark) - 1;
    if (part < next || part > 2)
      return notUnderstood("'" + t.spelled + "' is out of order (degrees, minutes, seconds)");
    if (!t.fraction.empty() && i + 1 < g.parts.size())
      return notUnderstood("'" + t.spelled + "': only the last number may have decimals");
    static constexpr std::array<Wide, 3> kUnits{kPerDegree, 100, 5};
    static constexpr std::array<Wide, 3> kDivisors{1, 1, 3};
    const Exact value = decimal(t, kUnits.at(part), kDivisors.at(part));
    if (part == 1 && value.num >= 6000 * value.den)
      return notUnderstood("'" + t.spelled + "' minutes: minutes run below 60");
    // 60 seconds are 100 hundredths of a minute.
    if (part == 2 && value.num >= 100 * value.den)
      return notUnderstood("'" + t.spelled + "' seconds: seconds run below 60");
    total = add(total, value);
    next = part + 1;
  }
  long hundredths = rounded(total);
  if (hundredths > (latitude ? kLatitudeLimit : kLongitudeLimit)) {
    return notUnderstood(std::string(name) + " '" + g.parts.front().spelled + "' lies beyond " +
                         (latitude ? "90" : "180") + " degrees");
  }
  if (g.sign < 0 || southOrWest) hundredths = -hundredths;
  return hundredths;
}

// Maidenhead: AA00, AA00aa or AA00aa00, letters in any case; nothing for other text.
std::optional<PositionHundredths> locator(std::string_view text) {
  std::string s;
  for (char c : text)
    if (std::isspace(static_cast<unsigned char>(c)) == 0)
      s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (s.size() != 4 && s.size() != 6 && s.size() != 8) return std::nullopt;
  // Per pair: the last allowed character and the step in hundredths of a
  // minute of longitude and latitude.
  struct Pair {
    char first, last;
    long lonStep, latStep;
  };
  static constexpr std::array<Pair, 4> kPairs{{{'A', 'R', 120000, 60000},
                                               {'0', '9', 12000, 6000},
                                               {'A', 'X', 500, 250},
                                               {'0', '9', 50, 25}}};
  // In halves, so that the centre of the smallest square is exact.
  long lon2 = -2 * kLongitudeLimit;
  long lat2 = -2 * kLatitudeLimit;
  const std::size_t pairs = s.size() / 2;
  for (std::size_t p = 0; p < pairs; ++p) {
    const Pair& k = kPairs.at(p);
    const char a = s[2 * p];
    const char b = s[2 * p + 1];
    if (a < k.first || a > k.last || b < k.first || b > k.last) return std::nullopt;
    lon2 += 2 * (a - k.first) * k.lonStep;
    lat2 += 2 * (b - k.first) * k.latStep;
  }
  lon2 += kPairs.at(pairs - 1).lonStep;
  lat2 += kPairs.at(pairs - 1).latStep;
  return PositionHundredths{rounded({lat2, 2}), rounded({lon2, 2})};
}

std::string stored(long hundredths, bool latitude) {
  const long magnitude = std::labs(hundredths);
  const char letter = latitude ? (hundredths < 0 ? 'S' : 'N') : (hundredths < 0 ? 'W' : 'E');
  std::array<char, 16> out{};
  std::snprintf(out.data(), out.size(), latitude ? "%02ld%02ld.%02ld%c" : "%03ld%02ld.%02ld%c",
                magnitude / kPerDegree, magnitude % kPerDegree / 100, magnitude % 100, letter);
  return out.data();
}

// DDMM.mm or DDDMM.mm and its letter, already in the device's shape.
std::optional<long> storedCoordinate(const std::string& text, std::size_t degreeDigits, long limit,
                                     char negative) {
  const long degrees = std::stol(text.substr(0, degreeDigits));
  const long minutes = std::stol(text.substr(degreeDigits, 2));
  const long hundredths = std::stol(text.substr(degreeDigits + 3, 2));
  const long total = degrees * kPerDegree + minutes * 100 + hundredths;
  if (minutes >= 60 || total > limit) return std::nullopt;
  return text.back() == negative ? -total : total;
}

}  // namespace

Result<StoredPosition> parsePosition(std::string_view text) {
  std::optional<PositionHundredths> p = locator(text);
  if (!p) {
    const auto found = tokens(text);
    if (!found) return found.error();
    const auto split = groups(found.value());
    if (!split) return split.error();
    Group lat = split.value()[0];
    Group lon = split.value()[1];
    // "16.91E 52.36N": the letters say which is which.
    if (lat.letter == 'E' || lat.letter == 'W' || lon.letter == 'N' || lon.letter == 'S')
      std::swap(lat, lon);
    const auto latitude = coordinate(lat, true);
    if (!latitude) return latitude.error();
    const auto longitude = coordinate(lon, false);
    if (!longitude) return longitude.error();
    p = PositionHundredths{latitude.value(), longitude.value()};
  }
  return StoredPosition{stored(p->latitude, true), stored(p->longitude, false)};
}

std::optional<PositionHundredths> storedPosition(const std::string& latitude,
                                                 const std::string& longitude) {
  if (!shapes::position(latitude, 2, 'N', 'S') || !shapes::position(longitude, 3, 'E', 'W'))
    return std::nullopt;
  const auto lat = storedCoordinate(latitude, 2, kLatitudeLimit, 'S');
  const auto lon = storedCoordinate(longitude, 3, kLongitudeLimit, 'W');
  if (!lat || !lon) return std::nullopt;
  return PositionHundredths{*lat, *lon};
}

std::string decimalDegreesText(const PositionHundredths& position) {
  std::array<char, 48> out{};
  std::snprintf(out.data(), out.size(), "%.5f, %.5f",
                static_cast<double>(position.latitude) / kPerDegree,
                static_cast<double>(position.longitude) / kPerDegree);
  return out.data();
}

std::string maidenheadLocator(const PositionHundredths& position, int pairs) {
  // The north pole and the date line on the east belong to the last square.
  long lon = std::min(position.longitude + kLongitudeLimit, 2 * kLongitudeLimit - 1);
  long lat = std::min(position.latitude + kLatitudeLimit, 2 * kLatitudeLimit - 1);
  static constexpr std::array<std::array<long, 2>, 4> kSteps{
      {{120000, 60000}, {12000, 6000}, {500, 250}, {50, 25}}};
  static constexpr std::array<char, 4> kFirst{'A', '0', 'a', '0'};
  std::string out;
  for (int p = 0; p < pairs && p < 4; ++p) {
    const auto& step = kSteps.at(static_cast<std::size_t>(p));
    const char first = kFirst.at(static_cast<std::size_t>(p));
    out += static_cast<char>(first + lon / step[0]);
    out += static_cast<char>(first + lat / step[1]);
    lon %= step[0];
    lat %= step[1];
  }
  return out;
}

}  // namespace zorbel::settings
