#include "page_builder.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "common/programming_error.h"
#include "control_factory.h"
#include "keyboard_access.h"
#include "latin1.h"
#include "settings_binder.h"

namespace zorbel::app {

using settings::SettingName;

void PageBuilder::form(QGridLayout* grid, int column, const std::vector<FormRow>& rows,
                       int firstRow) {
  int row = firstRow;
  for (const FormRow& formRow : rows) this->formRow(grid, row++, column, formRow);
}

void PageBuilder::formRow(QGridLayout* grid, int row, int column, const FormRow& formRow) {
  const SettingName first = std::get<SettingName>(formRow.items.front());
  const settings::Setting& head = first.setting();
  QLabel* label = makeCaption(head, control(first));
  captions_[first.view()] = label;
  grid->addWidget(label, row, column);
  const QString rowName = spokenCaption(label->text());
  auto* line = new QHBoxLayout;
  line->setSpacing(4);
  int part = 0;
  bool afterDash = false;
  for (const RowItem& item : formRow.items) {
    const bool isFirst = &item == &formRow.items.front();
    if (const auto* name = std::get_if<SettingName>(&item)) {
      const settings::Setting& s = name->setting();
      QWidget* box = control(*name);
      ++part;
      // The row's caption stands once, before its first box.
      if (!isFirst && !s.caption.empty() && s.caption != head.caption)
        line->addWidget(makeCaption(s, box));
      line->addWidget(box);
      // A box without a caption of its own is named after the row's; one
      // after a dash is the SSID of the one before it.
      if (!isFirst && (s.caption.empty() || s.caption == "-" || s.caption == head.caption)) {
        const bool ssid = s.caption == "-" || afterDash;
        box->setAccessibleName(ssid ? rowName + " SSID"
                                    : QString("%1, part %2").arg(rowName).arg(part));
      }
    } else if (const auto* button = std::get_if<QPushButton*>(&item)) {
      line->addWidget(*button);
    } else {
      line->addWidget(new QLabel(std::get<RowText>(item).text));
    }
    const auto* text = std::get_if<RowText>(&item);
    afterDash = text != nullptr && text->text == "-";
  }
  line->addStretch();
  grid->addLayout(line, row, column + 1);
}

void PageBuilder::table(QGridLayout* grid, const std::vector<Row>& rows, int firstRow) {
  std::map<int, QString> headers;  // by column, as a screen reader says them
  tableHeader(grid, rows.front(), firstRow, headers);
  int row = firstRow + 1;
  for (const Row& items : rows) {
    int column = 0;
    QString rowName;  // the row's label: "Analog 1"
    for (const RowItem& item : items) {
      QWidget* cell = nullptr;
      if (const auto* name = std::get_if<SettingName>(&item)) {
        if (name->setting().caption == "-") grid->addWidget(new QLabel("-"), row, column++);
        cell = control(*name);
        // In a table the header carries a check box's caption.
        if (auto* box = qobject_cast<QCheckBox*>(cell)) box->setText(QString());
        cell->setAccessibleName((rowName + " " + headers[column]).trimmed());
      } else if (const auto* button = std::get_if<QPushButton*>(&item)) {
        cell = *button;
      } else {
        const QString& text = std::get<RowText>(item).text;
        cell = new QLabel(text);
        if (text != "-") rowName = spokenCaption(text);
      }
      grid->addWidget(cell, row, column++);
    }
    ++row;
  }
}

void PageBuilder::tableHeader(QGridLayout* grid, const Row& first, int row,
                              std::map<int, QString>& headers) {
  int column = 0;
  for (const RowItem& item : first) {
    const auto* name = std::get_if<SettingName>(&item);
    const std::string caption = name != nullptr ? name->setting().caption : std::string();
    if (caption == "-") {
      headers[column + 1] = headers[column - 1] + " SSID";
      ++column;  // the dash has a column of its own
    }
    if (!caption.empty() && caption != "-") {
      grid->addWidget(new QLabel(fromBytes(caption)), row, column, Qt::AlignBottom);
      headers[column] = spokenCaption(fromBytes(caption));
    }
    ++column;
  }
}

QLabel* PageBuilder::caption(SettingName name) const {
  const auto found = captions_.find(name.view());
  if (found == captions_.end())
    programmingError("no form row of this page starts with " + std::string(name.view()));
  return found->second;
}

QWidget* PageBuilder::control(SettingName name) const {
  QWidget* control = controls_.widget(name);
  if (control == nullptr)
    programmingError("setting " + std::string(name.view()) + " has no control in this window");
  return control;
}

QPushButton* pageButton(const QString& name, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  return button;
}

}  // namespace zorbel::app
