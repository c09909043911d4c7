// A setting checked on its own refuses exactly what the encoder refuses, with
// the same message: for each edit box, a set of texts around its rule.
#include <gtest/gtest.h>

#include "settings/catalog.h"
#include "settings/codec.h"
#include "settings/setting_check.h"

namespace zorbel::settings {
namespace {

// The message of the first setting, in encoder order, that its check refuses.
std::string firstRefusal(const SettingsModel& model) {
  for (std::size_t i = 0; i < allSettings().size(); ++i) {
    const Result<void> check = checkSetting(model, i);
    if (!check.ok()) return check.error().message;
  }
  return {};
}

TEST(SettingCheck, RefusesWhatTheEncoderRefusesWithItsMessage) {
  const std::vector<std::string> texts = {
      "",      "0", "-1", "5",   "15",   "16",   "255",      "256",       "1441",
      "65536", "x", "*",  "$1F", "ab\t", "\xE9", "5230.00N", "01630.00E", "5230.0N"};
  int refusals = 0;
  for (std::size_t i = 0; i < allSettings().size(); ++i) {
    const Setting& s = allSettings()[i];
    if (s.kind != ControlKind::Edit) continue;
    for (const std::string& text : texts) {
      SettingsModel model;
      ASSERT_TRUE(model.setText(s.name, text));
      Image image{};
      const Result<void> encoded = encodeSettings(model, image);
      const std::string expected = encoded ? std::string() : encoded.error().message;
      ASSERT_EQ(firstRefusal(model), expected) << s.name << " = \"" << text << "\"";
      if (!expected.empty()) ++refusals;
    }
  }
  EXPECT_GT(refusals, 500);
}

TEST(SettingCheck, AnSsidIsUncheckedWhileItsToCallIsEmpty) {
  SettingsModel model;
  const std::size_t ssid = *findSetting("Weather_path_ssid");
  ASSERT_TRUE(model.setText("Weather_path_ssid", "99"));
  EXPECT_EQ(checkSetting(model, ssid).error().message, "Weather path - SSID range error (0 - 15).");
  ASSERT_TRUE(model.setText("Weather_path_string", ""));
  EXPECT_TRUE(checkSetting(model, ssid).ok());
}

}  // namespace
}  // namespace zorbel::settings
