// The windows driving the real device link against zorbel-sim on a pseudo-terminal.
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>

#include "link/device_link.h"
#include "link_adapter.h"
#include "settings/codec.h"
#include "simulator.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class EndToEnd : public WindowTest {
 protected:
  void SetUp() override {
    const auto started = sim.start();
    ASSERT_TRUE(started) << started.error().message;
  }

  sim::Simulator sim;
  QTemporaryDir dir;
};

TEST_F(EndToEnd, WriteReadAndFirmwareUploadThroughTheWindow) {
  openPort(sim);
  EXPECT_TRUE(waitFor([&] { return statusLine()->text().contains("open"); }));

  // A refused encode sends nothing: the device later sees only the good write's pages.
  type("Txdelay", "1001");
  dialogs.expectMessage("TX delay - range error (200 - 1000).", "Information");
  click(names::kWriteConfigButton);
  EXPECT_TRUE(logView()->toPlainText().isEmpty());

  type("Txdelay", "300");
  type("Callsign", "sp1abc");
  windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_callsign03")->setText("dl*");
  click(names::kWriteConfigButton);
  ASSERT_TRUE(waitForLog("Send finished."));
  // The worker's lines arrive whole and in the order it produced them.
  QStringList expected{"Eeprom page sent [0]."};
  for (int n = 1; n <= 15; ++n)
    expected << "Page receive ack." << QString("Eeprom page sent [%1].").arg(n);
  expected << "Page receive ack."
           << "Send finished.";
  EXPECT_TRUE(logView()->toPlainText().contains(expected.join('\n')))
      << logView()->toPlainText().toStdString();
  EXPECT_EQ(sim.frameCount(), 16U);
  EXPECT_EQ(sim.eeprom(), mainWindow().image());
  EXPECT_EQ(progressBar()->maximum(), 16);
  EXPECT_EQ(progressBar()->value(), 16);

  // "Read config" sets the controls, the filter window's included, but not the clock.
  check("Uploadpctime")->click();
  type("Rtcyear", "1999");
  type("Callsign", "XX");
  windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_callsign03")->setText("");
  discardEdits();
  click(names::kReadConfigButton);
  ASSERT_TRUE(waitForLog("Eeprom read finished."));
  ASSERT_TRUE(waitFor([&] { return text("Callsign") == "SP1ABC"; }));
  EXPECT_EQ(windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_callsign03")->text(),
            "DL*");
  EXPECT_EQ(text("Txdelay"), "300");
  EXPECT_EQ(text("Rtcyear"), "1999");
  EXPECT_TRUE(dialogs.messages.size() == 2U);  // the open and the range message only

  // "Upload firmware" of 300 bytes: pages 0 to 3, the bar to its maximum of 3.
  QFile file(dir.filePath("fw.hash"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  QByteArray bytes(300, '\0');
  for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  file.write(bytes);
  file.close();
  expectUpload(file.fileName());
  click(names::kUploadFirmwareButton);
  ASSERT_TRUE(waitForLog("Send finished.", 2));
  EXPECT_EQ(logCount("Firmware page sent [3]."), 1);
  EXPECT_EQ(progressBar()->maximum(), 3);
  EXPECT_EQ(progressBar()->value(), 3);
  const std::vector<std::uint8_t> held = sim.firmware();
  ASSERT_GE(held.size(), 300U);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), held.begin(),
                         [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));

  // "Close port" frees the port for another program.
  click(names::kClosePortButton);
  ASSERT_TRUE(waitFor([&] { return !mainWindow().link().device().workerRunning(); }));
  link::DeviceLink other;
  EXPECT_TRUE(other.open(sim.slavePath()).ok());
  other.stopAndJoin();
}

TEST_F(EndToEnd, ImageOfAnotherVersionLeavesTheControlsAndSaysWhy) {
  settings::SettingsModel model;
  EXPECT_TRUE(model.setText("Callsign", "OTHER"));
  settings::Image image{};
  ASSERT_TRUE(settings::encodeSettings(model, image).ok());
  image[10] = '1';  // "v1.31"
  std::uint32_t sum = settings::imageSum(image);
  for (int i = 0; i < 4; ++i) image[i] = static_cast<std::uint8_t>(sum >> (8 * i));
  sim.setEeprom(image);
  openPort(sim);
  dialogs.expectMessage("Uncompatible configuration version:\nDevice: v1.31\nConfigurator: v1.32",
                        "Information");
  click(names::kReadConfigButton);
  ASSERT_TRUE(waitFor([&] { return dialogs.done(); }, 10000));
  EXPECT_EQ(text("Callsign"), "NOCALL");
}

// The worker waits on the GUI thread to decode a read; closing the window
// meanwhile must stop it, not wait for it.
TEST_F(EndToEnd, ClosingTheWindowWhileTheWorkerWaitsDoesNotHang) {
  sim.setEeprom([] {
    settings::SettingsModel model;
    settings::Image image{};
    EXPECT_TRUE(settings::encodeSettings(model, image));
    return image;
  }());
  openPort(sim);
  click(names::kReadConfigButton);
  // No events are processed here, so the read's last page leaves the worker
  // waiting for a decode that never runs; the close must not wait for it.
  constexpr std::uint64_t kAllPages = 16 * (8 + 128);  // each page: its header frame and 128 bytes
  for (int i = 0; i < 1000 && sim.bytesSent() < kAllPages; ++i) QThread::msleep(10);
  ASSERT_EQ(sim.bytesSent(), kAllPages);
  dialogs.expectChoice("A configuration read is running (page 1 of 16). Stop it?", "Stop reading");
  mainWindow().close();
  EXPECT_FALSE(mainWindow().link().device().workerRunning());
}

}  // namespace
}  // namespace zorbel::app::test_support
