// Edits are never lost: the title says whether the settings are kept, and
// closing, "Read config" and "Read from file" ask before they discard edits.
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "simulator.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

const QString kCaption = "ZORBEL Configurator v1.32";

class EditsWindow : public WindowTest {
 protected:
  QTemporaryDir dir;
  QString path(const QString& name) const { return dir.filePath(name); }
  // The title as the window system shows it.
  QString title() { return mainWindow().windowHandle()->title(); }
  void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
};

TEST_F(EditsWindow, ReadFromFileAndClosingAskBeforeEditsAreLost) {
  mainWindow().show();
  // Nothing typed yet: nothing to lose.
  dialogs.expectFile(names::kConfigOpenDialog, std::nullopt);
  trigger(names::kReadFromFileAction);
  EXPECT_TRUE(dialogs.choices.empty());
  EXPECT_EQ(title(), kCaption);

  type("Callsign", "SP5ABC");
  EXPECT_EQ(title(), kCaption + "*");
  dialogs.expectChoice(kLoseEdits, "Cancel");
  trigger(names::kReadFromFileAction);  // no file dialog
  ASSERT_EQ(dialogs.choices.size(), 1u);
  EXPECT_EQ(dialogs.choices[0].title, "Read from file");
  EXPECT_EQ(dialogs.choices[0].buttons.size(), 3u);
  EXPECT_EQ(dialogs.choices[0].defaultButton, 0);

  // Save first: the edits go to a file, then the file to read is asked for.
  dialogs.expectChoice(kLoseEdits, "Save");
  dialogs.expectFile(names::kConfigSaveDialog, path("station.cfg"));
  dialogs.expectFile(names::kConfigOpenDialog, std::nullopt);
  trigger(names::kReadFromFileAction);
  EXPECT_EQ(title(), kCaption + QString::fromUtf8(" \u2014 station.cfg"));

  // Discard: the file's settings replace the edits.
  type("Callsign", "SP5XYZ");
  EXPECT_EQ(title(), kCaption + QString::fromUtf8(" \u2014 station.cfg*"));
  dialogs.expectChoice(kLoseEdits, "Discard");
  dialogs.expectFile(names::kConfigOpenDialog, path("station.cfg"));
  trigger(names::kReadFromFileAction);
  EXPECT_EQ(text("Callsign"), "SP5ABC");
  EXPECT_FALSE(mainWindow().isWindowModified());

  // Closing asks; Cancel keeps the window, a save lets it close.
  type("Txdelay", "300");
  dialogs.expectChoice(kLoseEdits, "Cancel");
  EXPECT_FALSE(mainWindow().close());
  dialogs.expectChoice(kLoseEdits, "Save");
  dialogs.expectFile(names::kConfigSaveDialog, path("station.cfg"));
  dialogs.expectQuestion("station.cfg already exists.\nDo you want to replace it?", true);
  EXPECT_TRUE(mainWindow().close());
  EXPECT_TRUE(QFile(path("station.cfg")).open(QIODevice::ReadOnly));
}

TEST_F(EditsWindow, ReadConfigAsksUnlessTheDeviceHoldsTheEdits) {
  sim::Simulator& sim = startSim();
  openPort(sim);
  type("Callsign", "SP5ABC");
  dialogs.expectChoice(kLoseEdits, "Cancel");
  click(names::kReadConfigButton);
  EXPECT_EQ(dialogs.choices.back().title, "Read config");
  QTest::qWait(200);
  EXPECT_EQ(sim.frameCount(), 0u) << "a read request went out";

  // Written: the device holds them, nothing is asked any more.
  click(names::kWriteConfigButton);
  ASSERT_TRUE(waitForLog("Send finished."));
  EXPECT_FALSE(mainWindow().isWindowModified());
  click(names::kReadConfigButton);
  ASSERT_TRUE(waitFor([&] { return status() == "Reading configuration: finished"; }));
  EXPECT_EQ(text("Callsign"), "SP5ABC");
  EXPECT_EQ(dialogs.choices.size(), 1u);
  EXPECT_TRUE(mainWindow().close());
}

TEST_F(EditsWindow, ReadFromFileSaysWhatItDidAndIsUndoneAndRedoneAsOneStep) {
  writeFile("station.cfg",
            "[!WARNING]\r\nVersion=v1.32\r\n[Radio]\r\nCallsign=SP9XYZ\r\nTXdelay=abc\r\n");
  mainWindow().show();
  mainWindow().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow()));
  type("Txdelay", "400");
  type("Callsign", "SP5ABC");
  discardEdits();
  dialogs.expectFile(names::kConfigOpenDialog, path("station.cfg"));
  trigger(names::kReadFromFileAction);
  EXPECT_EQ(log(), QStringList({"Configuration read from station.cfg.",
                                "TXdelay=abc in the file is not a number; 250 was used."}));
  EXPECT_EQ(status(),
            "Configuration read from station.cfg; 1 value could not be read, see the log");
  EXPECT_EQ(title(), kCaption + QString::fromUtf8(" \u2014 station.cfg"));
  EXPECT_EQ(text("Callsign"), "SP9XYZ");
  EXPECT_EQ(text("Txdelay"), "250");

  // Ctrl+Z in a box undoes the window's last step, every setting it set,
  // not the box's own typing.
  QLineEdit* callsign = edit("Callsign");
  callsign->setFocus();
  QTest::keyClick(callsign, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(text("Callsign"), "SP5ABC");
  EXPECT_EQ(text("Txdelay"), "400");
  EXPECT_EQ(title(), kCaption + QString::fromUtf8(" \u2014 station.cfg*"));
  QTest::keyClick(callsign, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(text("Callsign"), "SP9XYZ");
  EXPECT_EQ(text("Txdelay"), "250");
  EXPECT_EQ(title(), kCaption + QString::fromUtf8(" \u2014 station.cfg"));

  // Before it, the typing: one step per box.
  trigger(names::kUndoAction);
  trigger(names::kUndoAction);
  EXPECT_EQ(text("Callsign"), "NOCALL");
  EXPECT_EQ(text("Txdelay"), "400");
  EXPECT_EQ(control<QAction>(names::kUndoAction)->text(), "&Undo Typing in TX delay [ms]");
}

}  // namespace
}  // namespace zorbel::app::test_support
