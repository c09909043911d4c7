// A stop signal to the running configurator (`kill -TERM`): the window cuts
// its transfer short, says so in the log, puts the port back as it found it
// and quits, with the real window on the simulator's pseudo-terminal and the
// signal sent to this process.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>

#include <unistd.h>

#include "link_adapter.h"
#include "quit_on_signals.h"
#include "simulator.h"
#include "support/port_settings.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

using StopSignals = WindowTest;

TEST_F(StopSignals, SigtermCutsAnUploadShortAndLeavesThePortAsFound) {
  sim::SimOptions options;
  options.dropAnswerTo = 5;  // page 4 is never acknowledged: the upload runs on
  sim::Simulator sim(options);
  const auto started = sim.start();
  ASSERT_TRUE(started) << started.error().message;
  const int line = test::openWithForeignSettings(sim.slavePath());
  ASSERT_GE(line, 0);
  openPort(sim);
  const QTemporaryDir dir;
  QFile firmware(dir.filePath("fw.hash"));  // pages 0 to 7 and the extra page 8
  ASSERT_TRUE(firmware.open(QIODevice::WriteOnly));
  firmware.write(QByteArray(1000, '\x5A'));
  firmware.close();
  expectUpload(firmware.fileName());
  click(names::kUploadFirmwareButton);
  ASSERT_TRUE(waitForLog("Firmware page sent [4]."));

  // Started under nohup: SIGHUP was ignored, and stays so.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction before {};
  ASSERT_EQ(::sigaction(SIGHUP, &ignore, &before), 0);
  int exitCode = -1;
  {
    const QuitOnStopSignals quitOnSignals(mainWindow());
    struct sigaction hangUp {};
    ::sigaction(SIGHUP, nullptr, &hangUp);
    EXPECT_EQ(hangUp.sa_handler, SIG_IGN);
    // Only keeps a broken handler from hanging the suite.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    guard.start(20000);
    ::kill(::getpid(), SIGTERM);
    exitCode = QApplication::exec();
  }
  ::sigaction(SIGHUP, &before, nullptr);

  EXPECT_EQ(exitCode, 143);
  EXPECT_EQ(log().last(), "Upload cut short after page 4 of 9.");
  EXPECT_FALSE(mainWindow().link().device().workerRunning());
  EXPECT_TRUE(test::foundAsLeft(line));
  ::close(line);
}

}  // namespace
}  // namespace zorbel::app::test_support
