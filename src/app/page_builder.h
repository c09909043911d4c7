#pragma once
// Lays out the settings controls on a page in rows: a form of captioned rows
// or a table under column headers. The controls come from the SettingsBinder;
// a row names them by handles the compiler checks (settings/setting_name.h).
#include <QString>
#include <map>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/setting_name.h"

class QGridLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace zorbel::app {

class SettingsBinder;

// A fixed text in a row: "1:" before a table row, the dots of an address.
struct RowText {
  QString text;
};

// One item of a row: a setting's control, a button of the page, or a fixed text.
using RowItem = std::variant<settings::SettingName, QPushButton*, RowText>;
using Row = std::vector<RowItem>;

// A row of a form: the caption of its first setting, then the items.
struct FormRow {
  template <class... Items>
  FormRow(settings::SettingName first, Items... rest) : items{first, RowItem(rest)...} {}
  Row items;
};

class PageBuilder {
 public:
  explicit PageBuilder(const SettingsBinder& controls) : controls_(controls) {}

  // Rows of "Caption: [control] - [control]" in two grid columns starting at `column`.
  void form(QGridLayout* grid, int column, const std::vector<FormRow>& rows, int firstRow = 0);

  // A table whose column headers are the captions of its first row's settings.
  void table(QGridLayout* grid, const std::vector<Row>& rows, int firstRow = 0);

  // The caption a form row made for its first setting.
  QLabel* caption(settings::SettingName name) const;

  // The control of a setting; one its window has not made is a programming error.
  QWidget* control(settings::SettingName name) const;

 private:
  void formRow(QGridLayout* grid, int row, int column, const FormRow& formRow);
  static void tableHeader(QGridLayout* grid, const Row& first, int row,
                          std::map<int, QString>& headers);

  const SettingsBinder& controls_;
  std::map<std::string_view, QLabel*> captions_;
};

// A button on a settings page, with `name` as its object name.
QPushButton* pageButton(const QString& name, const QString& caption);

}  // namespace zorbel::app
