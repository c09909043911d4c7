#include "compare_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "object_names.h"

namespace zorbel::app {

CompareDialog::CompareDialog(const std::vector<ComparedSetting>& differences, QWidget* parent,
                             const QString& other)
    : QDialog(parent) {
  setObjectName(names::kCompareDialog);
  setWindowTitle("Compare with " + other);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(differences.size() == 1
                     ? QString("1 setting differs between the window and the %1:").arg(other)
                     : QString("%1 settings differ between the window and the %2:")
                           .arg(differences.size())
                           .arg(other)));
  auto* table = new QTableWidget(static_cast<int>(differences.size()), 3);
  table->setObjectName(names::kComparedSettings);
  QString column = other.section(' ', 0, 0);
  if (!column.isEmpty()) column[0] = column[0].toUpper();
  table->setHorizontalHeaderLabels({"Setting", "Window", column});
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  for (int row = 0; row < static_cast<int>(differences.size()); ++row) {
    const ComparedSetting& d = differences[static_cast<std::size_t>(row)];
    table->setItem(row, 0, new QTableWidgetItem(d.caption));
    table->setItem(row, 1, new QTableWidgetItem(d.window));
    table->setItem(row, 2, new QTableWidgetItem(d.device));
  }
  table->setToolTip("Double-click a setting to go to it.");
  const auto goTo = [this, differences](const QModelIndex& index) {
    if (chosen_ || !index.isValid()) return;
    chosen_ = differences[static_cast<std::size_t>(index.row())].setting;
    accept();
  };
  connect(table, &QAbstractItemView::doubleClicked, this, goTo);
  connect(table, &QAbstractItemView::activated, this, goTo);
  table->resizeColumnsToContents();
  table->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(560, 320);
}

}  // namespace zorbel::app
