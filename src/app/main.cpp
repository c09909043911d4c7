// Start-up: the splash, the four windows, the pause, then the message loop.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QThread>
#include <cstdio>
#include <exception>
#include <memory>

#include "main_window.h"
#include "program_windows.h"
#include "quit_on_signals.h"
#include "splash_screen.h"
#include "user_dialogs.h"

namespace {

using zorbel::app::kApplicationTitle;

void showException(const QString& text) {
  QMessageBox::critical(nullptr, kApplicationTitle, text, QMessageBox::Ok);
}

// An exception that escapes an event handler is shown, and the program goes on.
class ConfiguratorApplication : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      showException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
      showException(QString());
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  ConfiguratorApplication app(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);

  QCommandLineParser options;
  options.addOption({"screenshots",
                     "Test aid: write a PNG of every page and window to <folder>, then exit.",
                     "folder"});
  options.addOption(
      {"port", "Preselect <port> in the port box (the simulator's link, say).", "port"});
  options.addHelpOption();
  options.process(app);
  const QString screenshots = options.value("screenshots");

  try {
    auto splash = std::make_unique<zorbel::app::SplashScreen>();
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    zorbel::app::QtDialogs dialogs;
    zorbel::app::ProgramWindows windows(dialogs);
    // The splash stays up while the windows are made and for three seconds
    // after, as users of the device's configurator have always seen it start:
    // long enough to read which program (and picture) they started. The event
    // loop is held on purpose; nothing can be pressed before the window shows.
    if (screenshots.isEmpty()) QThread::msleep(3000);
    splash.reset();

    if (!screenshots.isEmpty()) {
      const zorbel::Result<void> written = zorbel::app::writeScreenshots(
          windows, screenshots, [](const QString& file) { std::printf("%s\n", qPrintable(file)); });
      if (written) return 0;
      std::fprintf(stderr, "zorbel-configurator: %s\n", written.error().message.c_str());
      return 1;
    }
    const zorbel::app::QuitOnStopSignals quitOnSignals(*windows.mainWindow);
    if (options.isSet("port")) windows.mainWindow->selectPort(options.value("port"));
    windows.mainWindow->show();
    return QApplication::exec();
  } catch (const std::exception& e) {
    showException(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    showException(QString());
  }
  return 1;
}
