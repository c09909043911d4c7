#pragma once
// The tool bar's search field: the settings whose caption, hint or
// configuration file key holds what is typed, listed as the user types.
// Choosing one, or Return for the first, goes to it.
#include <QLineEdit>
#include <cstddef>
#include <functional>
#include <vector>

class QCompleter;
class QStandardItemModel;

namespace zorbel::app {

class SettingsSearchField : public QLineEdit {
  Q_OBJECT

 public:
  struct Hooks {
    std::function<bool(std::size_t setting)> reachable;  // offered only when true
    std::function<QString(std::size_t setting)> name;    // "Radio › TX delay [ms]"
    std::function<void(std::size_t setting)> goTo;
  };
  explicit SettingsSearchField(Hooks hooks, QWidget* parent = nullptr);

  // The settings listed for the text typed, best first.
  const std::vector<std::size_t>& matches() const { return matches_; }

 private:
  void listMatches(const QString& text);
  void goToFirst();
  void choose(std::size_t setting);

  Hooks hooks_;
  QCompleter* completer_;
  QStandardItemModel* list_;
  std::vector<std::size_t> matches_;
};

}  // namespace zorbel::app
