// The binder's one path from a widget to the model, and its quiet way back.
#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "radio_page_controls.h"
#include "settings/catalog.h"
#include "settings_binder.h"

namespace zorbel::app {
namespace {

struct Edit {
  std::string setting;
  settings::ControlState before;
  settings::ControlState after;
};

// Each keystroke and each pick reaches the model and is announced once with
// the state before and after; showing a whole model (a load, an undo) changes
// the boxes without announcing an edit.
TEST(SettingsBinder, WidgetChangesReachTheModelAndShowingAModelIsNoEdit) {
  settings::SettingsModel model;
  SettingsBinder binder(model);
  QWidget page;
  makeRadioPageControls(binder, page);
  std::vector<Edit> edits;
  int shown = 0;
  QObject::connect(&binder, &SettingsBinder::settingEdited,
                   [&](std::size_t i, const auto& before, const auto& after) {
                     edits.push_back({settings::allSettings()[i].name, before, after});
                   });
  QObject::connect(&binder, &SettingsBinder::modelShown, [&] { ++shown; });
  const settings::SettingsModel loaded = model;

  auto* txdelay = binder.control<QLineEdit>("Txdelay");
  txdelay->selectAll();
  QTest::keyClicks(txdelay, "300");
  QTest::keyClick(binder.control<QComboBox>("Ptt"), Qt::Key_Down);

  EXPECT_EQ(model.text("Txdelay"), "300");
  EXPECT_EQ(model.index("Ptt"), 1);
  ASSERT_EQ(edits.size(), 4U);  // "3", "30", "300", then the pick
  EXPECT_EQ(edits[0].setting, "Txdelay");
  EXPECT_EQ(edits[0].before.text, "250");
  EXPECT_EQ(edits[2].before.text, "30");
  EXPECT_EQ(edits[2].after.text, "300");
  EXPECT_EQ(edits[3].setting, "Ptt");
  EXPECT_EQ(edits[3].before.index, 0);
  EXPECT_EQ(edits[3].after.index, 1);

  binder.showModel(loaded);
  EXPECT_EQ(txdelay->text(), "250");
  EXPECT_EQ(binder.control<QComboBox>("Ptt")->currentIndex(), 0);
  EXPECT_TRUE(model == loaded);
  EXPECT_EQ(edits.size(), 4U);
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace zorbel::app
