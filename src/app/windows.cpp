#include "windows.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>

#include "object_names.h"
#include "splash_screen.h"

namespace zorbel::app {

Windows::Windows(UserDialogs& dialogs) : main_(std::make_unique<MainWindow>(dialogs)) {
  mainWindow = main_.get();
  specialStringsWindow = new SpecialStringsWindow(mainWindow);
  remoteUpdateHelpWindow = new RemoteUpdateHelpWindow(mainWindow);
  filterWindow = new FilterWindow(mainWindow->binder(), mainWindow);
  mainWindow->setAuxiliaryWindows(specialStringsWindow, remoteUpdateHelpWindow, filterWindow);
}

// The main window goes first: it stops the link before its windows go.
Windows::~Windows() { main_.reset(); }

namespace {

bool save(QWidget& widget, const QString& path, QStringList& written, QString* error) {
  QApplication::processEvents();
  if (!widget.grab().save(path, "PNG")) {
    if (error != nullptr) *error = "cannot write " + path;
    return false;
  }
  written << path;
  return true;
}

// Every visible page of a page control, the nested ones through `nested`.
bool savePages(QTabWidget* tabs, QWidget& window, const QString& prefix, QStringList& written,
               QString* error) {
  const int active = tabs->currentIndex();
  for (int i = 0; i < tabs->count(); ++i) {
    if (!tabs->isTabVisible(i)) continue;
    tabs->setCurrentIndex(i);
    QWidget* page = tabs->widget(i);
    const QString name = prefix + "_" + page->objectName();
    if (auto* inner = page->findChild<QTabWidget*>()) {
      if (!savePages(inner, window, name, written, error)) return false;
    } else if (!save(window, name + ".png", written, error)) {
      return false;
    }
  }
  tabs->setCurrentIndex(active);
  return true;
}

}  // namespace

QStringList writeScreenshots(Windows& windows, const QString& folder, QString* error) {
  QStringList written;
  if (!QDir().mkpath(folder)) {
    if (error != nullptr) *error = "cannot create " + folder;
    return written;
  }
  const QDir dir(folder);
  windows.mainWindow->show();
  auto* tabs = windows.mainWindow->findChild<QTabWidget*>(names::kSettingsTabs);
  if (!savePages(tabs, *windows.mainWindow, dir.filePath(names::kMainWindow), written, error))
    return written;
  for (QDialog* form : {static_cast<QDialog*>(windows.specialStringsWindow),
                        static_cast<QDialog*>(windows.remoteUpdateHelpWindow),
                        static_cast<QDialog*>(windows.filterWindow)}) {
    form->show();
    const bool ok = save(*form, dir.filePath(form->objectName() + ".png"), written, error);
    form->hide();
    if (!ok) return written;
  }
  SplashScreen splash;
  splash.show();
  save(splash, dir.filePath(QString(names::kSplashScreen) + ".png"), written, error);
  return written;
}

}  // namespace zorbel::app
