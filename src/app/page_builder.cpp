#include "page_builder.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "control_factory.h"
#include "keyboard_access.h"
#include "latin1.h"
#include "settings/catalog.h"
#include "settings_binder.h"

namespace zorbel::app {
namespace {

const settings::Setting* setting(const std::string& name) {
  const auto i = settings::findSetting(name);
  return i ? &settings::allSettings()[*i] : nullptr;
}

}  // namespace

QPushButton* PageBuilder::button(const std::string& name, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(QString::fromStdString(name));
  extras_[name] = button;
  return button;
}

void PageBuilder::form(QGridLayout* grid, int column, const std::vector<Tokens>& rows,
                       int firstRow) {
  int row = firstRow;
  for (const Tokens& tokens : rows) formRow(grid, row++, column, tokens);
}

void PageBuilder::formRow(QGridLayout* grid, int row, int column, const Tokens& tokens) {
  QLabel* label = makeCaption(*setting(tokens.front()), widget(tokens.front()));
  captions_[tokens.front()] = label;
  grid->addWidget(label, row, column);
  auto* line = new QHBoxLayout;
  line->setSpacing(4);
  int part = 0;
  const std::string* previous = nullptr;
  const settings::Setting* head = setting(tokens.front());
  for (const std::string& t : tokens) {
    // The row's caption stands once, before its first box.
    const settings::Setting* s = setting(t);
    addCell(line, t, &t == &tokens.front() || (s != nullptr && s->caption == head->caption));
    // A box without a caption of its own is named after the row's; one
    // after a dash is the SSID of the one before it.
    if (s != nullptr) ++part;
    if (s != nullptr && &t != &tokens.front() &&
        (s->caption.empty() || s->caption == "-" || s->caption == head->caption)) {
      const QString rowName = spokenCaption(label->text());
      const bool ssid = s->caption == "-" || (previous != nullptr && *previous == "-");
      widget(t)->setAccessibleName(ssid ? rowName + " SSID"
                                        : QString("%1, part %2").arg(rowName).arg(part));
    }
    previous = &t;
  }
  line->addStretch();
  grid->addLayout(line, row, column + 1);
}

void PageBuilder::table(QGridLayout* grid, const std::vector<Tokens>& rows, int firstRow) {
  std::map<int, QString> headers;  // by column, as a screen reader says them
  tableHeader(grid, rows.front(), firstRow, headers);
  int row = firstRow + 1;
  for (const Tokens& tokens : rows) {
    int column = 0;
    QString rowName;  // the row's label: "Analog 1"
    for (const std::string& t : tokens) {
      const settings::Setting* s = setting(t);
      if (s != nullptr && s->caption == "-") grid->addWidget(new QLabel("-"), row, column++);
      QWidget* w =
          s != nullptr || extras_.count(t) != 0 ? widget(t) : new QLabel(QString::fromStdString(t));
      if (s == nullptr && extras_.count(t) == 0 && t != "-")
        rowName = spokenCaption(QString::fromStdString(t));
      // In a table the header carries a check box's caption.
      if (auto* box = qobject_cast<QCheckBox*>(w)) box->setText(QString());
      if (s != nullptr) w->setAccessibleName((rowName + " " + headers[column]).trimmed());
      grid->addWidget(w, row, column++);
    }
    ++row;
  }
}

void PageBuilder::tableHeader(QGridLayout* grid, const Tokens& first, int row,
                              std::map<int, QString>& headers) {
  int column = 0;
  for (const std::string& t : first) {
    const settings::Setting* s = setting(t);
    if (s != nullptr && s->caption == "-") {
      headers[column + 1] = headers[column - 1] + " SSID";
      ++column;  // the dash has a column of its own
    }
    if (s != nullptr && !s->caption.empty() && s->caption != "-") {
      grid->addWidget(new QLabel(fromBytes(s->caption)), row, column, Qt::AlignBottom);
      headers[column] = spokenCaption(fromBytes(s->caption));
    }
    ++column;
  }
}

QWidget* PageBuilder::widget(const std::string& name) {
  auto extra = extras_.find(name);
  if (extra != extras_.end()) return extra->second;
  QWidget* w = controls_.widget(name);
  Q_ASSERT_X(w != nullptr, "PageBuilder", name.c_str());
  return w;
}

void PageBuilder::addCell(QHBoxLayout* line, const std::string& token, bool first) {
  const settings::Setting* s = setting(token);
  if (s == nullptr && extras_.count(token) == 0) {
    line->addWidget(new QLabel(QString::fromStdString(token)));
    return;
  }
  if (!first && s != nullptr && !s->caption.empty())
    line->addWidget(makeCaption(*s, widget(token)));
  line->addWidget(widget(token));
}

}  // namespace zorbel::app
