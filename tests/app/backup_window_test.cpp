// The window keeps what the device held before each write, asks when that
// cannot be read, and loads a backup back as one step.
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>

#include "simulator.h"
#include "support/env_guard.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

const QString kNotBackedUp =
    "The device's configuration could not be backed up (Eeprom read checksum error.); "
    "nothing was written.";

QByteArray bytesOf(const settings::Image& image) {
  return {reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size())};
}

// The backups of this test only, apart from those the other tests' reads keep.
class WindowBackups : public WindowTest {
 protected:
  QTemporaryDir data;
  zorbel::test::EnvGuard dataHome{"XDG_DATA_HOME", data.path().toStdString()};
};

TEST_F(WindowBackups, AWriteKeepsWhatTheDeviceHeldFirstAndABackupLoadsBackAsOneStep) {
  sim::Simulator& sim = startSim();  // blank: its image fails the image sum
  control<QAction>(names::kBackUpBeforeWriteAction)->setChecked(true);
  openPort(sim);
  type("Callsign", "SP5ABC");

  dialogs.expectChoice(kNotBackedUp, "Cancel");
  click(names::kWriteConfigButton);
  ASSERT_TRUE(waitFor([&] { return dialogs.done(); }));
  EXPECT_EQ(dialogs.choices.back().defaultButton, 1);  // Cancel
  EXPECT_EQ(logCount("Eeprom page sent [0]."), 0);
  dialogs.expectChoice(kNotBackedUp, "Write anyway");
  click(names::kWriteConfigButton);
  ASSERT_TRUE(waitForLog("Send finished."));
  const settings::Image held = sim.eeprom();
  EXPECT_EQ(held, mainWindow().image());

  // The device holds a configuration now: the next write keeps it first.
  type("Callsign", "SP5XYZ");
  click(names::kWriteConfigButton);
  ASSERT_TRUE(waitForLog("Send finished.", 2));
  const QStringList lines = log();
  const auto backupLine = std::find_if(lines.begin(), lines.end(),
                                       [](const QString& l) { return l.startsWith("Backup: "); });
  ASSERT_NE(backupLine, lines.end());
  EXPECT_LT(backupLine - lines.begin(), lines.lastIndexOf("Eeprom page sent [0]."));
  const QString file = backupLine->mid(8);
  EXPECT_TRUE(file.endsWith("_SP5ABC.img")) << file.toStdString();
  QFile kept(
      QDir(qEnvironmentVariable("XDG_DATA_HOME")).filePath("zorbel-configurator/backups/" + file));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), bytesOf(held));

  // History lists it; loading it into the window is one step of undo.
  dialogs.expectWindow(names::kHistoryDialog, [&](QDialog& d) {
    auto* table = d.findChild<QTableWidget*>(names::kHistoryTable);
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 2)->text(), file);
    EXPECT_EQ(table->item(0, 3)->text(), "the first backup");
    d.findChild<QPushButton*>(names::kHistoryLoadButton)->click();
  });
  trigger(names::kHistoryAction);
  EXPECT_EQ(text("Callsign"), "SP5ABC");
  trigger(names::kUndoAction);
  EXPECT_EQ(text("Callsign"), "SP5XYZ");
}

}  // namespace
}  // namespace zorbel::app::test_support
