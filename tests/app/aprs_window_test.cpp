// The window's APRS aids: the warnings before a write, "Set position…" and
// the beacon previews, used as a user uses them.
#include <QDialog>
#include <QSettings>
#include <QTest>

#include "aprs_object_names.h"
#include "settings/page_names.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

using Aprs = WindowTest;

// The user sees the warnings, goes to one, fixes it, dismisses another for
// good and writes anyway; the next write shows only what still holds.
TEST_F(Aprs, WarningsBeforeAWriteLeadToTheSettingAndCanBeDismissed) {
  mainWindow().show();
  checkBeforeWrite(true);
  QSettings("zorbel", "zorbel-configurator").remove("device/dismissedWarnings");
  const QString buildRemote = names::kBuildRemoteUpdateFileAction;

  // Cancel is the default: Return in the dialog writes nothing.
  dialogs.expectWindow(names::kPreWriteDialog, [](QDialog& d) {
    EXPECT_NE(d.findChild<QPushButton*>(names::preWriteSettingButton("Callsign")), nullptr);
    EXPECT_TRUE(d.findChild<QPushButton*>(names::kPreWriteCancelButton)->isDefault());
    QTest::keyClick(&d, Qt::Key_Return);
  });
  trigger(buildRemote);
  EXPECT_TRUE(dialogs.fileRequests.empty()) << "cancelled: no firmware asked for";

  // One click on a warning's setting brings its page to the front and its box into focus.
  dialogs.expectWindow(names::kPreWriteDialog, [](QDialog& d) {
    d.findChild<QPushButton*>(names::preWriteSettingButton("telnet_password"))->click();
  });
  trigger(buildRemote);
  EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kTelnet);
  EXPECT_EQ(mainWindow().focusWidget(), edit("telnet_password"));
  EXPECT_TRUE(dialogs.fileRequests.empty());

  type("telnet_password", "s3cret");
  type("Callsign", "SP1ABC");
  QStringList listed;
  dialogs.expectWindow(names::kPreWriteDialog, [&](QDialog& d) {
    for (auto* b : d.findChildren<QPushButton*>())
      if (b->objectName().startsWith("show_")) listed << b->objectName().mid(5);
    d.findChild<QCheckBox*>(names::preWriteDismissBox("busy-rf/Beacon1_txrate_rf"))->click();
    d.findChild<QPushButton*>(names::kWriteAnywayButton)->click();
  });
  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, std::nullopt);
  trigger(buildRemote);
  EXPECT_EQ(listed, QStringList({"Latitude", "Beacon1_txrate_rf", "Beacon1_msg", "Aprsis_user",
                                 "www_password"}));

  // The dismissed warning stays away; the others still show.
  listed.clear();
  dialogs.expectWindow(names::kPreWriteDialog, [&](QDialog& d) {
    for (auto* b : d.findChildren<QPushButton*>())
      if (b->objectName().startsWith("show_")) listed << b->objectName().mid(5);
    d.findChild<QPushButton*>(names::kWriteAnywayButton)->click();
  });
  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, std::nullopt);
  trigger(buildRemote);
  EXPECT_EQ(listed, QStringList({"Latitude", "Beacon1_msg", "Aprsis_user", "www_password"}));
  EXPECT_TRUE(dialogs.done());
  QSettings("zorbel", "zorbel-configurator").remove("device/dismissedWarnings");
}

TEST_F(Aprs, SetPositionShowsTheResultAsTypedAndFillsBothBoxes) {
  dialogs.expectWindow(names::kPositionDialog, [](QDialog& d) {
    auto* input = d.findChild<QLineEdit*>(names::kPositionInput);
    auto* result = d.findChild<QLabel*>(names::kPositionResult);
    QTest::keyClicks(input, "JO82l");
    EXPECT_TRUE(result->text().startsWith("Not understood: ")) << result->text().toStdString();
    QTest::keyClicks(input, "j");
    EXPECT_EQ(result->text(),
              "Latitude 5223.75N, Longitude 01657.50E: 52.39583, 16.95833 (JO82lj)");
    QTest::keyClick(input, Qt::Key_Return);
  });
  click(names::kSetPositionButton);
  EXPECT_EQ(text("Latitude"), "5223.75N");
  EXPECT_EQ(text("Longitude"), "01657.50E");
  EXPECT_EQ(edit("Latitude")->toolTip(), "Stations latitude.\nNow: 52.39583, 16.95833 (JO82lj)");
  // Each box's own undo brings its old text back.
  QTest::keyClick(edit("Longitude"), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(text("Longitude"), "01653.63E");

  // The preview under beacon 1 follows the boxes and the message as typed.
  type("Beacon1_msg", "!<lat>/<long>-Home");
  EXPECT_EQ(control<QLabel>(names::beaconPreview(1))->text(),
            "NOCALL>APZR01,WIDE2-2:!5223.75N/01653.63E-Home   (24 bytes of text)");
  EXPECT_EQ(control<QLabel>(names::beaconPreview(2))->text(), "Not sent: both rates are 0.");
}

}  // namespace
}  // namespace zorbel::app::test_support
