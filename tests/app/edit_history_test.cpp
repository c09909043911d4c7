// The window's memory of its settings: where they are kept, and the steps of undo.
#include <gtest/gtest.h>

#include "kept_settings.h"
#include "settings/catalog.h"
#include "settings_history.h"

namespace zorbel::app {
namespace {

using settings::SettingsModel;

constexpr std::time_t kClock = 1700000000;

std::size_t indexOf(const char* name) { return *settings::findSetting(name); }

TEST(KeptSettings, EditsAreUnkeptUntilAFileOrTheDeviceHoldsThem) {
  SettingsModel now(kClock);
  KeptSettings kept(now);
  EXPECT_FALSE(kept.holdsUnkeptEdits(now));
  // The PC clock filling the clock edits is no edit.
  now.fillRtcFromPcClock(kClock + 3600 * 24 * 40);
  EXPECT_FALSE(kept.holdsUnkeptEdits(now));

  ASSERT_TRUE(now.setText("Callsign", "SP5ABC"));
  EXPECT_TRUE(kept.holdsUnkeptEdits(now));
  EXPECT_TRUE(kept.modified(now));
  kept.keptInFile(now, "/tmp/station.cfg");
  EXPECT_FALSE(kept.holdsUnkeptEdits(now));
  EXPECT_FALSE(kept.modified(now));

  // Written to the device: the file no longer holds them, the device does.
  ASSERT_TRUE(now.setText("Txdelay", "300"));
  kept.keptOnDevice(now);
  EXPECT_FALSE(kept.holdsUnkeptEdits(now));
  EXPECT_TRUE(kept.modified(now));  // the title's file differs
  // Typed back to what the file holds: nothing is lost either way.
  ASSERT_TRUE(now.setText("Txdelay", "250"));
  EXPECT_FALSE(kept.holdsUnkeptEdits(now));
  ASSERT_TRUE(now.setText("Txdelay", "251"));
  EXPECT_TRUE(kept.holdsUnkeptEdits(now));
}

class History : public ::testing::Test {
 protected:
  SettingsModel model{kClock};
  int shown = 0;
  SettingsHistory history{model,
                          [this](const SettingsModel& state) {
                            model = state;
                            ++shown;
                          },
                          nullptr};

  void typeInto(const char* name, const std::string& text) {
    ASSERT_TRUE(model.setText(name, text));
    history.edited(indexOf(name), QString("Typing in %1").arg(name));
  }
};

TEST_F(History, TypingInOneBoxIsOneStepAndTypedBackIsNone) {
  for (const char* text : {"S", "SP", "SP5"}) typeInto("Callsign", text);
  EXPECT_EQ(history.stack().count(), 1);
  typeInto("Txdelay", "30");
  typeInto("Txdelay", "300");
  EXPECT_EQ(history.stack().count(), 2);
  typeInto("Callsign", "SP5A");
  EXPECT_EQ(history.stack().count(), 3);
  // Back to where the last step began: that step is gone.
  typeInto("Callsign", "SP5");
  EXPECT_EQ(history.stack().count(), 2);

  history.stack().undo();
  EXPECT_EQ(model.text("Txdelay"), "250");
  EXPECT_EQ(model.text("Callsign"), "SP5");
  history.stack().undo();
  EXPECT_EQ(model.text("Callsign"), "NOCALL");
  history.stack().redo();
  EXPECT_EQ(model.text("Callsign"), "SP5");
  EXPECT_EQ(shown, 3);
}

TEST_F(History, ACommandAfterAnEditIsItsOwnStepAndAnEditsFollowUpJoinsIt) {
  typeInto("Callsign", "SP5ABC");
  ASSERT_TRUE(model.setText("Txdelay", "400"));
  history.record("Read from file");
  EXPECT_EQ(history.stack().count(), 2);
  EXPECT_EQ(history.stack().undoText(), "Read from file");

  // A box checked, then its click behaviour: one step.
  ASSERT_TRUE(model.setChecked("Uploadpctime", false));
  history.edited(indexOf("Uploadpctime"), "Uploadpctime");
  model.enableClockEditsUnlessPcTime();
  history.amendLast();
  EXPECT_EQ(history.stack().count(), 3);
  history.stack().undo();
  EXPECT_TRUE(model.checked("Uploadpctime"));
  EXPECT_FALSE(model.enabled("Rtcyear"));
  history.stack().redo();
  EXPECT_TRUE(model.enabled("Rtcyear"));
}

}  // namespace
}  // namespace zorbel::app
