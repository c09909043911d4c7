#include "window_memory.h"

#include <QMainWindow>
#include <QTabWidget>

#include "program_settings.h"

namespace zorbel::app {

namespace {

constexpr const char* kGeometryKey = "window/geometry";
constexpr const char* kStateKey = "window/state";
// The page by its name: the tabs' order or visibility may change between versions.
constexpr const char* kPageKey = "window/page";

}  // namespace

bool restoreWindowLayout(QMainWindow& window, QTabWidget& tabs) {
  const QSettings& settings = programSettings();
  const QString page = settings.value(kPageKey).toString();
  for (int i = 0; i < tabs.count(); ++i) {
    if (tabs.widget(i)->objectName() == page && tabs.isTabVisible(i)) tabs.setCurrentIndex(i);
  }
  window.restoreState(settings.value(kStateKey).toByteArray());
  return window.restoreGeometry(settings.value(kGeometryKey).toByteArray());
}

void rememberWindowLayout(const QMainWindow& window, const QTabWidget& tabs) {
  QSettings& settings = programSettings();
  settings.setValue(kGeometryKey, window.saveGeometry());
  settings.setValue(kStateKey, window.saveState());
  if (tabs.currentWidget() != nullptr)
    settings.setValue(kPageKey, tabs.currentWidget()->objectName());
  settings.sync();
}

}  // namespace zorbel::app
