#include "compare_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "object_names.h"

namespace zorbel::app {

CompareDialog::CompareDialog(const std::vector<ComparedSetting>& differences, QWidget* parent)
    : QDialog(parent) {
  setObjectName(names::kCompareDialog);
  setWindowTitle("Compare with device");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      differences.size() == 1 ? QString("1 setting differs between the window and the device:")
                              : QString("%1 settings differ between the window and the device:")
                                    .arg(differences.size())));
  auto* table = new QTableWidget(static_cast<int>(differences.size()), 3);
  table->setObjectName(names::kComparedSettings);
  table->setHorizontalHeaderLabels({"Setting", "Window", "Device"});
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
