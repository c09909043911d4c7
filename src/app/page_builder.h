#pragma once
// Lays out the settings controls on a page in rows: a form of captioned rows
// or a table under column headers. The controls come from the SettingsBinder.
#include <QString>
#include <map>
#include <string>
#include <vector>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace zorbel::settings {
struct Setting;
}

namespace zorbel::app {

class SettingsBinder;

// A token in a row is a setting's name, the name of a page button, or a literal label.
using Tokens = std::vector<std::string>;

class PageBuilder {
 public:
  explicit PageBuilder(const SettingsBinder& controls) : controls_(controls) {}

  // A page button that rows name by `name`, its object name.
  QPushButton* button(const std::string& name, const QString& caption);

  // Rows of "Caption: [control] - [control]" in two grid columns starting at `column`.
  void form(QGridLayout* grid, int column, const std::vector<Tokens>& rows, int firstRow = 0);

  // A table whose column headers are the captions of its first row's controls.
  void table(QGridLayout* grid, const std::vector<Tokens>& rows, int firstRow = 0);

  // The caption a form row made for a setting.
  QLabel* caption(const std::string& name) { return captions_.at(name); }

  // The control of a setting or a page button.
  QWidget* widget(const std::string& name);

 private:
  void formRow(QGridLayout* grid, int row, int column, const Tokens& tokens);
  void tableHeader(QGridLayout* grid, const Tokens& first, int row,
                   std::map<int, QString>& headers);
  void addCell(QHBoxLayout* line, const std::string& token, bool first);

  const SettingsBinder& controls_;
  std::map<std::string, QWidget*> extras_;
  std::map<std::string, QLabel*> captions_;
};

}  // namespace zorbel::app
