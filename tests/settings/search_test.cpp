// Finding a setting by a word the user remembers of it.
#include "settings/search.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/catalog.h"

using namespace zorbel::settings;

namespace {

std::string first(std::string_view query) {
  const auto found = searchSettings(query);
  return found.empty() ? std::string() : allSettings()[found.front().setting].name;
}

bool finds(std::string_view query, std::string_view name) {
  for (const SettingMatch& m : searchSettings(query)) {
    if (allSettings()[m.setting].name == name) return true;
  }
  return false;
}

}  // namespace

TEST(Search, FindsByCaptionKeyHintAndTheWordsUsersSay) {
  EXPECT_EQ(first("delay"), "Txdelay") << "a caption's word, before the telemetry delay";
  EXPECT_EQ(first("Txdelay"), "Txdelay") << "by its file key, any case";
  EXPECT_EQ(searchSettings("TXDELAY").front().by, MatchedBy::Key);
  EXPECT_EQ(first("passcode"), "Aprsis_pass") << "APRS-IS's own word for its password";
  EXPECT_EQ(first("preamble"), "Txdelay") << "a word of its hint";
  EXPECT_EQ(searchSettings("preamble").front().by, MatchedBy::Hint);
  EXPECT_TRUE(finds("tx  DELAY", "Txdelay")) << "every word, spaces as they come";
  EXPECT_FALSE(finds("tx weather", "Txdelay"));
}

TEST(Search, CaptionsComeFirstAndNothingIsFoundForNothing) {
  const auto found = searchSettings("ssid");
  ASSERT_FALSE(found.empty());
  for (std::size_t i = 1; i < found.size(); ++i) EXPECT_LE(found[i - 1].by, found[i].by);
  EXPECT_TRUE(searchSettings("").empty());
  EXPECT_TRUE(searchSettings("   ").empty());
  EXPECT_TRUE(searchSettings("no-such-word-anywhere").empty());
}
