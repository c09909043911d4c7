#pragma once
// The main window's place, size and state and its current tab, kept between runs.
class QMainWindow;
class QTabWidget;

namespace zorbel::app {

// Puts the window where it was when it last closed, on the tab it showed
// then. Returns false on a first run, leaving the window as it is.
bool restoreWindowLayout(QMainWindow& window, QTabWidget& tabs);
void rememberWindowLayout(const QMainWindow& window, const QTabWidget& tabs);

}  // namespace zorbel::app
