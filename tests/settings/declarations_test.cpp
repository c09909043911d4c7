// The declarations are the single source of every setting's place; these
// checks keep fields from overlapping or straying into the frame.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/catalog.h"
#include "settings/image.h"

using namespace zorbel::settings;

TEST(Declarations, NamesAreUniqueAndFound) {
  std::set<std::string> names;
  for (const Setting& s : allSettings()) {
    EXPECT_TRUE(names.insert(s.name).second) << s.name;
    ASSERT_TRUE(findSetting(s.name).has_value());
    EXPECT_EQ(allSettings()[*findSetting(s.name)].name, s.name);
  }
  EXPECT_FALSE(findSetting("txdelay").has_value()) << "names are matched exactly";
}

TEST(Declarations, FieldsLieInsideTheSettingsAreaAndNeverOverlap) {
  std::map<int, std::string> owner;
  for (const Setting& s : allSettings()) {
    if (s.encoding == Encoding::None) continue;
    EXPECT_GE(s.offset, static_cast<int>(kSettingsBegin)) << s.name;
    EXPECT_LE(s.offset + s.width, static_cast<int>(kSettingsEnd)) << s.name;
    ASSERT_GT(s.width, 0) << s.name;
    for (int b = s.offset; b < s.offset + s.width; ++b) {
      auto [it, fresh] = owner.emplace(b, s.name);
      EXPECT_TRUE(fresh) << s.name << " overlaps " << it->second << " at " << b;
    }
  }
  // The bytes that always stay zero between fields.
  for (int spare : {21, 51, 67, 549, 1487}) EXPECT_EQ(owner.count(spare), 0u) << spare;
}

// A declaration without its place in the image passes every other check and
// never reaches the device; one the image is not meant to hold says so.
TEST(Declarations, EverySettingIsStoredOrMarkedNotStored) {
  for (const Setting& s : allSettings()) {
    EXPECT_EQ(s.encoding != Encoding::None, s.stored)
        << s.name
        << (s.stored ? ": no place in the image, and not declared .notStored()"
                     : ": declared .notStored(), yet given a place in the image");
  }
}

// The range a message names, "(200 - 1000)", is the one the encoder checks.
TEST(Declarations, RangeMessagesNameTheDeclaredLowAndHigh) {
  const std::set<Rule> ranged{Rule::Range,       Rule::RangeThenStore, Rule::ZeroOrRange,
                              Rule::PortOrEmpty, Rule::GuardedSsid,    Rule::SsidOrWildcard};
  const std::regex range(R"(\((-?[0-9]+) - (-?[0-9]+)[,)])");
  for (const Setting& s : allSettings()) {
    std::vector<std::pair<long, long>> named;
    for (auto it = std::sregex_iterator(s.message.begin(), s.message.end(), range);
         it != std::sregex_iterator(); ++it)
      named.emplace_back(std::stol((*it)[1]), std::stol((*it)[2]));
    if (!ranged.count(s.rule)) {
      EXPECT_TRUE(named.empty()) << s.name << ": a range in the message of a rule without one";
      continue;
    }
    ASSERT_EQ(named.size(), 1u) << s.name << ": " << s.message;
    EXPECT_EQ(named.front(), std::make_pair(long{s.low}, long{s.high}))
        << s.name << ": " << s.message;
  }
}

// A box too short for its rule's range keeps the user from typing a value the
// device takes (a daily report, 1440 minutes, in a box of three).
TEST(Declarations, EveryNumberTheRuleAllowsCanBeTyped) {
  for (const Setting& s : allSettings()) {
    if (s.rule != Rule::Range && s.rule != Rule::RangeThenStore && s.rule != Rule::ZeroOrRange &&
        s.rule != Rule::PortOrEmpty)
      continue;
    EXPECT_LE(std::to_string(s.low).size(), static_cast<std::size_t>(s.maxLength)) << s.name;
    EXPECT_LE(std::to_string(s.high).size(), static_cast<std::size_t>(s.maxLength)) << s.name;
  }
}

TEST(Declarations, EveryControlKindHasWhatItNeeds) {
  int edits = 0, combos = 0, checks = 0;
  for (const Setting& s : allSettings()) {
    switch (s.kind) {
      case ControlKind::Edit:
        ++edits;
        EXPECT_GT(s.maxLength, 0) << s.name;
        if (s.encoding == Encoding::Text || s.encoding == Encoding::UpperText) {
          EXPECT_LT(s.maxLength, s.width)
              << s.name << ": a typed text must leave room for its zero byte";
        }
        break;
      case ControlKind::Combo:
        ++combos;
        EXPECT_FALSE(s.items.empty()) << s.name;
        EXPECT_TRUE(s.defaultIndex >= 0 && s.defaultIndex < static_cast<int>(s.items.size()))
            << s.name;
        EXPECT_EQ(s.encoding, Encoding::ItemIndex) << s.name;
        break;
      case ControlKind::Check:
        ++checks;
        break;
    }
    if (s.rule != Rule::None) {
      EXPECT_FALSE(s.message.empty()) << s.name;
    }
    if (!s.partner.empty()) {
      EXPECT_TRUE(findSetting(s.partner).has_value()) << s.name;
    }
  }
  EXPECT_EQ(edits + combos + checks, static_cast<int>(allSettings().size()));
  EXPECT_EQ(checks, 10);  // eight path rules, NTP and the PC time box
}
