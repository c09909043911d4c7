#include "window_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

#include "aprs_object_names.h"
#include "link_adapter.h"
#include "simulator.h"
#include "support/simulator_fixture.h"

namespace zorbel::app::test_support {

QByteArray firmwareBytes(int size, int seed) {
  QByteArray bytes(size, '\0');
  for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 + seed);
  return bytes;
}

void WindowTest::checkBeforeWrite(bool on) {
  control<QAction>(names::kCheckBeforeWriteAction)->setChecked(on);
}

void WindowTest::type(const QString& name, const QString& value) {
  QLineEdit* e = edit(name);
  e->selectAll();
  QTest::keyClick(e, Qt::Key_Delete);
  QTest::keyClicks(e, value);
}

void WindowTest::click(const QString& button) {
  QPushButton* b = control<QPushButton>(button);
  waitFor([&] { return b->isEnabled(); }, 2000);
  b->click();
}

void WindowTest::trigger(const QString& action) {
  QAction* a = control<QAction>(action);
  waitFor([&] { return a->isEnabled(); }, 2000);
  a->trigger();
}

void WindowTest::expectUpload(const QString& path) {
  dialogs.expectFile(names::kFirmwareDialog, path);
  dialogs.expectChoice("Upload " + QFileInfo(path).fileName() + " to the device?", "Upload");
}

void WindowTest::pressEscape() {
  mainWindow().show();
  mainWindow().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow()));
  QWidget* focused = QApplication::focusWidget();
  QTest::keyClick(focused != nullptr ? focused : &mainWindow(), Qt::Key_Escape);
}

sim::Simulator& WindowTest::startSim(sim::SimOptions options) {
  simulators_.push_back(zorbel::test::startSimulator(std::move(options)));
  sim_ = simulators_.back().get();
  return *sim_;
}

void WindowTest::openPort(const sim::Simulator& sim) {
  portBox()->setEditText(QString::fromStdString(sim.slavePath()));
  dialogs.expectMessage("Serial port opened successfully.", "Information");
  click(names::kOpenPortButton);
  ASSERT_TRUE(mainWindow().link().device().workerRunning());
}

bool WindowTest::waitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qSleep(5);
  }
  return true;
}

}  // namespace zorbel::app::test_support
