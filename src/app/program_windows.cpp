#include "program_windows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>

#include "object_names.h"
#include "splash_screen.h"

namespace zorbel::app {

ProgramWindows::ProgramWindows(UserDialogs& dialogs)
    : main_(std::make_unique<MainWindow>(dialogs)) {
  mainWindow = main_.get();
  specialStringsWindow = new SpecialStringsWindow(mainWindow);
  remoteUpdateHelpWindow = new RemoteUpdateHelpWindow(mainWindow);
  filterWindow = new FilterWindow(mainWindow->binder(), mainWindow);
  mainWindow->setAuxiliaryWindows(specialStringsWindow, remoteUpdateHelpWindow, filterWindow);
}

// The main window goes first: it stops the link before its windows go.
ProgramWindows::~ProgramWindows() { main_.reset(); }

namespace {

Error cannotWrite(const QString& what) {
  return makeError(ErrorKind::CannotWrite, QFile::encodeName(what).toStdString());
}

Result<void> save(QWidget& widget, const QString& path, const ScreenshotWritten& written) {
  QApplication::processEvents();
  if (!widget.grab().save(path, "PNG")) return cannotWrite("cannot write " + path);
  written(path);
  return {};
}

// Every visible page of a page control, the nested ones through `nested`.
Result<void> savePages(QTabWidget* tabs, QWidget& window, const QString& prefix,
                       const ScreenshotWritten& written) {
  const int active = tabs->currentIndex();
  for (int i = 0; i < tabs->count(); ++i) {
    if (!tabs->isTabVisible(i)) continue;
    tabs->setCurrentIndex(i);
    QWidget* page = tabs->widget(i);
    const QString name = prefix + "_" + page->objectName();
    auto* inner = page->findChild<QTabWidget*>();
    const Result<void> saved = inner != nullptr ? savePages(inner, window, name, written)
                                                : save(window, name + ".png", written);
    if (!saved) return saved;
  }
  tabs->setCurrentIndex(active);
  return {};
}

}  // namespace

Result<void> writeScreenshots(ProgramWindows& windows, const QString& folder,
                              const ScreenshotWritten& written) {
  if (!QDir().mkpath(folder)) return cannotWrite("cannot create " + folder);
  const QDir dir(folder);
  windows.mainWindow->show();
  auto* tabs = windows.mainWindow->findChild<QTabWidget*>(names::kSettingsTabs);
  if (Result<void> saved =
          savePages(tabs, *windows.mainWindow, dir.filePath(names::kMainWindow), written);
      !saved)
    return saved;
  for (QDialog* form : {static_cast<QDialog*>(windows.specialStringsWindow),
                        static_cast<QDialog*>(windows.remoteUpdateHelpWindow),
                        static_cast<QDialog*>(windows.filterWindow)}) {
    form->show();
    const Result<void> saved = save(*form, dir.filePath(form->objectName() + ".png"), written);
    form->hide();
    if (!saved) return saved;
  }
  SplashScreen splash;
  splash.show();
  return save(splash, dir.filePath(QString(names::kSplashScreen) + ".png"), written);
}

}  // namespace zorbel::app
