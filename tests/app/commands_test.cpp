// The main window's commands that need no device: clicks, default buttons,
// the filter window and the messages of a refused "Write config".
#include <QPlainTextEdit>
#include <QTest>

#include "link_adapter.h"
#include "settings/page_names.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

using Commands = WindowTest;

TEST_F(Commands, UploadPcTimeClickLooksOnlyAtUploadpctime) {
  const char* clock[] = {"Rtcyear", "Rtcmonth", "Rtcday", "Rtchour", "Rtcmin"};
  check("Uploadpctime")->click();
  for (const char* name : clock) EXPECT_TRUE(edit(name)->isEnabled()) << name;
  check("Ntp_enable")->click();  // unchecks NTP; the clock edits stay enabled
  EXPECT_FALSE(check("Ntp_enable")->isChecked());
  for (const char* name : clock) EXPECT_TRUE(edit(name)->isEnabled()) << name;
  check("Ntp_enable")->click();
  for (const char* name : clock) EXPECT_TRUE(edit(name)->isEnabled()) << name;
  check("Uploadpctime")->click();
  for (const char* name : clock) EXPECT_FALSE(edit(name)->isEnabled()) << name;
}

// Each button fills its own row, and only that row, by its source.
TEST_F(Commands, EachDefaultParametersButtonResetsItsOwnChannel) {
  struct Row {
    QString button;
    QString prefix;
    QString name;
  };
  const Row rows[] = {
      {names::analogDefaultsButton(1), "Teleanalog1", "Rx1h"},
      {names::analogDefaultsButton(2), "Teleanalog2", "Dg1h"},
      {names::analogDefaultsButton(3), "Teleanalog3", "Eff1h"},
      {names::analogDefaultsButton(4), "Teleanalog4", "A4"},
      {names::analogDefaultsButton(5), "Teleanalog5", "A5"},
      {names::digitalDefaultsButton(1), "Teledigital1", "B1"},
      {names::digitalDefaultsButton(2), "Teledigital2", "B2"},
      {names::digitalDefaultsButton(3), "Teledigital3", "B3"},
      {names::digitalDefaultsButton(4), "Teledigital4", "B4"},
      {names::digitalDefaultsButton(5), "Teledigital5", "B5"},
      {names::digitalDefaultsButton(6), "Teledigital6", "B6"},
      {names::digitalDefaultsButton(7), "Teledigital7", "B7"},
      {names::digitalDefaultsButton(8), "Teledigital8", "B8"},
  };
  for (const Row& row : rows) type(qPrintable(row.prefix + "_name"), "zz");
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    click(rows[i].button);
    for (std::size_t j = 0; j < std::size(rows); ++j) {
      EXPECT_EQ(text(qPrintable(rows[j].prefix + "_name")), j <= i ? rows[j].name : "zz")
          << rows[i].button.toStdString() << " touched " << rows[j].prefix.toStdString();
    }
  }
}

TEST_F(Commands, AnalogDefaultsFollowTheSelectedSourceAndKeepAveraging) {
  combo("Teleanalog4_source")->setCurrentIndex(2);
  combo("Teleanalog4_average")->setCurrentIndex(1);
  click(names::analogDefaultsButton(4));
  EXPECT_EQ(text("Teleanalog4_name"), "Rx10m");
  EXPECT_EQ(text("Teleanalog4_units"), "Pkt");
  EXPECT_EQ(text("Teleanalog4_coefa"), "0");
  EXPECT_EQ(text("Teleanalog4_coefb"), "1");
  EXPECT_EQ(text("Teleanalog4_coefc"), "0");
  EXPECT_EQ(combo("Teleanalog4_average")->currentIndex(), 1);

  type("Teledigital7_units", "xy");
  combo("Teledigital7_inverted")->setCurrentIndex(1);
  click(names::digitalDefaultsButton(7));
  EXPECT_EQ(text("Teledigital7_name"), "B7");
  EXPECT_EQ(text("Teledigital7_units"), "Non");
  EXPECT_EQ(combo("Teledigital7_inverted")->currentText(), "No");
}

TEST_F(Commands, RangeErrorShowsOnlyItsMessage) {
  openPort(startSim());  // Write config needs a port
  dialogs.messages.clear();
  type("Txdelay", "199");
  type("Quiettime", "1");  // also wrong, but later in the encoder's order
  dialogs.expectMessage("TX delay - range error (200 - 1000).", "Information");
  click(names::kWriteConfigButton);
  ASSERT_EQ(dialogs.messages.size(), 1U);
  EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Information);
  EXPECT_TRUE(logView()->toPlainText().isEmpty());
  // The window stays on its page.
  EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kRadio);
}

TEST_F(Commands, TextThatIsNotAnIntegerGoesToTheGeneralErrorBox) {
  openPort(startSim());  // Write config needs a port
  dialogs.messages.clear();
  type("Floodtimeout", "6o");
  dialogs.expectMessage("'6o' is not a valid integer value", "Zorbel Configurator");
  click(names::kWriteConfigButton);
  ASSERT_EQ(dialogs.messages.size(), 1U);
  EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
}

// A character with no 8-bit form must not slip through as a printable '?'.
TEST_F(Commands, CharacterWithoutAnEightBitFormIsRefusedByTheCharacterCheck) {
  openPort(startSim());  // Write config needs a port
  dialogs.messages.clear();
  edit("Beacon1_msg")->setText(QString::fromUtf8("Price 5\xE2\x82\xAC"));
  dialogs.expectMessage("Beacon 1 message - forbidden characters.", "Information");
  click(names::kWriteConfigButton);
}

TEST_F(Commands, WriteConfigTakesThePcClockOnlyWhenUploadpctimeIsChecked) {
  openPort(startSim());  // Write config needs a port
  dialogs.messages.clear();
  check("Uploadpctime")->click();
  type("Rtcyear", "1999");
  type("Rtcmonth", "13");
  click(names::kWriteConfigButton);
  EXPECT_EQ(text("Rtcyear"), "1999");
  EXPECT_EQ(mainWindow().image()[550] | mainWindow().image()[551] << 8, 1999);
  EXPECT_EQ(mainWindow().image()[552], 13);
  check("Uploadpctime")->click();
  click(names::kWriteConfigButton);
  EXPECT_NE(text("Rtcyear"), "1999");
  EXPECT_EQ(mainWindow().image()[550] | mainWindow().image()[551] << 8, text("Rtcyear").toInt());
}

TEST_F(Commands, FilterWindowKeepsItsEntriesAndWriteConfigEncodesThem) {
  openPort(startSim());  // Write config needs a port
  dialogs.messages.clear();
  dialogs.expectWindow(settings::pages::kFilterWindow, [](QDialog& w) {
    EXPECT_TRUE(w.isVisible());
    auto* call = w.findChild<QLineEdit*>("Packet2rf_filter_callsign01");
    call->setFocus();
    QTest::keyClicks(call, "sq*");
    auto* ssid = w.findChild<QLineEdit*>("Packet2rf_filter_ssid01");
    ssid->selectAll();
    QTest::keyClicks(ssid, "7");
    w.findChild<QComboBox*>("Packet2rf_filter_type01")->setCurrentIndex(2);
    QTest::keyClicks(w.findChild<QLineEdit*>("Packet2rf_filter_callsign12"), "ab1cde");
    w.findChild<QPushButton*>(names::kFilterOkButton)->click();
  });
  click(names::kFilterSetupButton);
  EXPECT_FALSE(windows->filterWindow->isVisible());
  dialogs.expectWindow(settings::pages::kFilterWindow, [](QDialog& w) {
    EXPECT_EQ(w.findChild<QLineEdit*>("Packet2rf_filter_callsign01")->text(), "sq*");
    EXPECT_EQ(w.findChild<QLineEdit*>("Packet2rf_filter_ssid01")->text(), "7");
    EXPECT_EQ(w.findChild<QComboBox*>("Packet2rf_filter_type01")->currentText(), "Deny all");
  });
  click(names::kFilterSetupButton);
  click(names::kWriteConfigButton);
  EXPECT_TRUE(dialogs.messages.empty());
  const auto& image = mainWindow().image();
  EXPECT_EQ(std::string(image.begin() + 404, image.begin() + 412), std::string("SQ*   7\x02", 8));
  EXPECT_EQ(std::string(image.begin() + 492, image.begin() + 500), std::string("AB1CDE*\0", 8));
}

TEST_F(Commands, HelpWindowsOpenModally) {
  dialogs.expectWindow(names::kSpecialStringsWindow);
  click(names::kSpecialStringsButton);
  // The remote update menu is hidden, but its commands are complete.
  dialogs.expectWindow(names::kRemoteUpdateHelpWindow);
  trigger(names::kRemoteUpdateHelpAction);
  EXPECT_TRUE(dialogs.done());
}

TEST_F(Commands, OpenPortThatDoesNotExistSaysSoAndWhy) {
  portBox()->setEditText("/dev/zorbel-no-such-port");
  dialogs.expectMessage(link::kOpenErrorMessage, "Information");
  click(names::kOpenPortButton);
  ASSERT_EQ(dialogs.messages.size(), 1U);
  EXPECT_TRUE(dialogs.messages[0].details.contains("/dev/zorbel-no-such-port"));
  EXPECT_FALSE(mainWindow().link().device().workerRunning());
  // "Close port" with no port open does nothing.
  click(names::kClosePortButton);
  EXPECT_TRUE(dialogs.done());
}

}  // namespace
}  // namespace zorbel::app::test_support
