// The window's transfers against the simulator: nothing waits for a port,
// closing asks before it cuts an upload short, a cancelled backup writes
// nothing, and a compare that cannot read the device says so in a box.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "link/device_link.h"
#include "link_adapter.h"
#include "settings/codec.h"
#include "simulator.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class Transfers : public WindowTest {
 protected:
  QString firmwareFile(int size) {
    QFile f(dir.filePath("fw.hash"));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(firmwareBytes(size, 1));
    return f.fileName();
  }
  static settings::Image deviceImage() {
    settings::SettingsModel model;
    EXPECT_TRUE(model.setText("Callsign", "SP1ABC"));
    settings::Image image{};
    EXPECT_TRUE(settings::encodeSettings(model, image).ok());
    return image;
  }
  static std::size_t framesOf(const sim::Simulator& sim, std::uint8_t type) {
    std::size_t n = 0;
    for (const sim::FrameRecord& f : sim.frames()) n += f.type == type ? 1 : 0;
    return n;
  }
  bool enabled(const char* button) { return control<QPushButton>(button)->isEnabled(); }

  QTemporaryDir dir;
};

TEST_F(Transfers, NothingIsQueuedWhileNoPortIsOpen) {
  for (const char* button :
       {names::kReadConfigButton, names::kWriteConfigButton, names::kUploadFirmwareButton})
    EXPECT_FALSE(enabled(button)) << button;
  EXPECT_FALSE(control<QAction>(names::kCompareWithDeviceAction)->isEnabled());
  // Reached some other way all the same, each says why and asks nothing.
  MainWindow& window = mainWindow();
  for (void (MainWindow::*command)() :
       {&MainWindow::writeConfiguration, &MainWindow::readConfiguration,
        &MainWindow::uploadFirmware, &MainWindow::compareWithDevice}) {
    statusLine()->clear();
    (window.*command)();
    EXPECT_EQ(status(), "Open the port first.");
  }

  sim::Simulator& sim = startSim();
  openPort(sim);
  const std::uint64_t passes = window.link().device().workerPasses();
  ASSERT_TRUE(waitFor([&] { return window.link().device().workerPasses() >= passes + 3; }));
  QTest::qWait(100);
  EXPECT_EQ(sim.frameCount(), 0U) << "a request made while closed went out on the open";
  EXPECT_TRUE(enabled(names::kWriteConfigButton));
  EXPECT_TRUE(control<QAction>(names::kCompareWithDeviceAction)->isEnabled());
}

// The upload's question comes first; the edits' only when the upload may stop,
// and nothing stops until both are answered.
TEST_F(Transfers, ClosingTheWindowDuringAnUploadAsksAboutItBeforeTheEdits) {
  sim::SimOptions options;
  options.dropAnswerTo = 5;  // page 4 is never acknowledged: the upload runs on
  sim::Simulator& sim = startSim(options);
  openPort(sim);
  mainWindow().show();
  type("Callsign", "SP1ABC");
  expectUpload(firmwareFile(1000));  // pages 0..7 and the extra page 8
  click(names::kUploadFirmwareButton);
  ASSERT_TRUE(waitFor([&] { return status() == "Uploading firmware, page 5 of 9"; }))
      << status().toStdString();

  dialogs.expectChoice(uploadStopQuestion(5, 9), "Keep uploading");
  EXPECT_FALSE(mainWindow().close());
  const Choice& asked = dialogs.choices.back();
  EXPECT_EQ(asked.buttons.at(asked.defaultButton).caption, "&Keep uploading");

  dialogs.expectChoice(uploadStopQuestion(5, 9), "Stop uploading");
  dialogs.expectChoice(kLoseEdits, "Cancel");
  EXPECT_FALSE(mainWindow().close());
  EXPECT_TRUE(mainWindow().link().device().workerRunning());
  EXPECT_TRUE(enabled(names::kCancelTransferButton)) << "the upload still runs";

  dialogs.expectChoice(uploadStopQuestion(5, 9), "Stop uploading");
  discardEdits();
  EXPECT_TRUE(mainWindow().close());
  EXPECT_FALSE(mainWindow().link().device().workerRunning());
  EXPECT_EQ(sim.frameCount(), 5U);
}

TEST_F(Transfers, ACancelDuringTheBackupReadWritesNothingAndAsksNothing) {
  sim::SimOptions paced;
  paced.baud = 115200;
  sim::Simulator& sim = startSim(paced);
  const settings::Image held = deviceImage();
  sim.setEeprom(held);
  control<QAction>(names::kBackUpBeforeWriteAction)->setChecked(true);
  openPort(sim);
  type("Callsign", "SP2XYZ");
  click(names::kWriteConfigButton);
  ASSERT_TRUE(waitForLog("Eeprom read request, page [3]."));
  click(names::kCancelTransferButton);
  ASSERT_TRUE(waitFor([&] { return log().last().startsWith("Read cut short after page "); }));
  EXPECT_TRUE(waitFor([&] { return status() == log().last() + " Nothing was written."; }))
      << status().toStdString();
  ASSERT_TRUE(waitFor([&] { return enabled(names::kWriteConfigButton); }));
  QTest::qWait(100);
  EXPECT_EQ(framesOf(sim, 0x80), 0U);
  EXPECT_EQ(sim.eeprom(), held);
  EXPECT_TRUE(dialogs.choices.empty());
}

TEST_F(Transfers, ACompareThatCannotReadTheDeviceShowsAWarning) {
  sim::SimOptions options;
  options.corruptPage = 4;
  sim::Simulator& sim = startSim(options);
  sim.setEeprom(deviceImage());
  openPort(sim);
  dialogs.expectMessage(
      "The device's configuration could not be read (checksum error): nothing was compared.",
      "Compare with device");
  trigger(names::kCompareWithDeviceAction);
  ASSERT_TRUE(waitFor([&] { return dialogs.done(); }, 10000)) << status().toStdString();
  EXPECT_EQ(dialogs.messages.back().icon, UserDialogs::Icon::Warning);
}

}  // namespace
}  // namespace zorbel::app::test_support
