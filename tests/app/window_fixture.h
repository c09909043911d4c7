#pragma once
// A fresh set of the four windows per test, with scripted boxes and dialogs.
#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <memory>
#include <vector>

#include "object_names.h"
#include "program_settings.h"
#include "program_windows.h"
#include "scripted_dialogs.h"
#include "simulator.h"
#include "update/xtea.h"

namespace zorbel::app::test_support {

// The bytes of a firmware file of `size` bytes; another `seed` gives other bytes.
QByteArray firmwareBytes(int size, int seed);

class WindowTest : public ::testing::Test {
 protected:
  // Each test starts as a first run: nothing kept from an earlier window.
  const bool firstRun_ = [] {
    programSettings().clear();
    return true;
  }();
  // Declared first, so it outlives the windows and then reports unmet expectations.
  ScriptedDialogs dialogs;
  std::unique_ptr<ProgramWindows> windows = std::make_unique<ProgramWindows>(dialogs);

  // The warnings before a write are off, so that a test writes the settings
  // it means to; the tests of that dialog turn them on.
  // The backup before a write is off too: a blank simulated device has no
  // configuration to back up. The backup tests turn it on.
  WindowTest() {
    checkBeforeWrite(false);
    control<QAction>(names::kBackUpBeforeWriteAction)->setChecked(false);
  }
  void checkBeforeWrite(bool on);

  MainWindow& mainWindow() { return *windows->mainWindow; }

  template <class W>
  W* control(const QString& name) {
    auto* w = mainWindow().findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
  }
  QLineEdit* edit(const QString& name) { return control<QLineEdit>(name); }
  QComboBox* combo(const QString& name) { return control<QComboBox>(name); }
  QCheckBox* check(const QString& name) { return control<QCheckBox>(name); }
  QString text(const QString& name) { return edit(name)->text(); }

  // The main window's own widgets, by their object names.
  QComboBox* portBox() { return control<QComboBox>(names::kPortBox); }
  QTabWidget* settingsTabs() { return control<QTabWidget>(names::kSettingsTabs); }
  QPlainTextEdit* logView() { return control<QPlainTextEdit>(names::kLogView); }
  QProgressBar* progressBar() { return control<QProgressBar>(names::kProgressBar); }
  QLabel* statusLine() { return control<QLabel>(names::kStatusLine); }
  QMenu* remoteUpdateMenu() { return control<QMenu>(names::kRemoteUpdateMenu); }

  // Read config, Read from file and closing ask before they replace edits
  // that neither a file nor the device holds; the next such question is
  // answered "Discard".
  static inline const QString kLoseEdits =
      "The settings have changes that are neither saved in a file nor written to the device.\n"
      "Do you want to save them first?";
  void discardEdits() { dialogs.expectChoice(kLoseEdits, "Discard"); }

  // "Build remote update file" asks first in a build with the development
  // key; the next such question is answered "Build anyway".
  static inline const QString kDevelopmentKeyQuestion =
      "This program was built with the development update key, not your device's key. A "
      "device refuses a remote update file enciphered with it.\n"
      "Build the file anyway?";
  void acceptDevelopmentKey() {
    if (update::usesDevelopmentKey()) dialogs.expectChoice(kDevelopmentKeyQuestion, "Build anyway");
  }

  // What a user does: replace an edit's text by typing, press a button, pick a menu item.
  void type(const QString& name, const QString& value);
  // A user waits for a button or command to be enabled (a transfer's end
  // reaching the window) before pressing it; one that stays disabled does nothing.
  void click(const QString& button);
  void trigger(const QString& action);
  // The firmware dialog answers `path`, and the question before the upload "Upload".
  void expectUpload(const QString& path);
  // Escape to the widget that has the focus in the shown, active window.
  void pressEscape();
  // The question before "Close port" or closing the window cuts an upload short.
  static QString uploadStopQuestion(int page, int total) {
    return QString(
               "A firmware upload is running (page %1 of %2). Stop it and leave the device "
               "without complete firmware?")
        .arg(page)
        .arg(total);
  }

  // A simulator with these fault switches on a pseudo-terminal of its own; it
  // serves until the test ends.
  sim::Simulator& startSim(sim::SimOptions options = {});
  // Types the simulator's terminal into the port box and presses "Open port".
  void openPort(const sim::Simulator& sim);
  // The log's lines, and waiting for one of them to have shown `count` times.
  QStringList log() { return logView()->toPlainText().split('\n', Qt::SkipEmptyParts); }
  int logCount(const QString& line) { return static_cast<int>(log().count(line)); }
  bool waitForLog(const QString& line, int count = 1) {
    return waitFor([&] { return logCount(line) >= count; }, 10000);
  }
  QString status() { return statusLine()->text(); }

  // Runs queued calls (the link's reports) until `done` holds or `ms` pass.
  static bool waitFor(const std::function<bool()>& done, int ms = 5000);

  sim::Simulator* sim_ = nullptr;  // the simulator started last

 private:
  std::vector<std::unique_ptr<sim::Simulator>> simulators_;
};

}  // namespace zorbel::app::test_support
