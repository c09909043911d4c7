#pragma once
// The three auxiliary windows. Each is created once at start-up and shown
// modally by a command of the main window; none has handlers of its own.
#include <QDialog>
#include <QString>
#include <utility>
#include <vector>

class QComboBox;
class QLineEdit;

namespace zorbel::app {

class SettingsBinder;

// "Beacon special strings": what the beacon text tokens stand for.
class SpecialStringsWindow : public QDialog {
  Q_OBJECT
 public:
  explicit SpecialStringsWindow(QWidget* parent = nullptr);
};

// "Zorbel+ remote firmware upload procedure": how a remote update is done.
class RemoteUpdateHelpWindow : public QDialog {
  Q_OBJECT
 public:
  explicit RemoteUpdateHelpWindow(QWidget* parent = nullptr);
};

// The twelve APRS-IS to RF filter entries. Its controls are settings: they are
// made from their declarations, kept by the binder and keep what was typed
// between showings. OK keeps the edits; Cancel, Escape and the close button
// put back what the entries held when the window opened.
class FilterWindow : public QDialog {
  Q_OBJECT
 public:
  FilterWindow(SettingsBinder& binder, QWidget* parent = nullptr);
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::vector<std::pair<QLineEdit*, QString>> openedTexts_;
  std::vector<std::pair<QComboBox*, int>> openedItems_;
};

// A fixed-size window: the designed client area, larger only where the
// platform's font needs it to show every control whole.
void fixWindowSize(QDialog& window, QSize designed);

}  // namespace zorbel::app
