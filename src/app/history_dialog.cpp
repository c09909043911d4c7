#include "history_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "object_names.h"

namespace zorbel::app {

HistoryDialog::HistoryDialog(const std::vector<backup::HistoryEntry>& entries,
                             const QString& folder, QWidget* parent)
    : QDialog(parent) {
  setObjectName(names::kHistoryDialog);
  setWindowTitle("History");
  auto* layout = new QVBoxLayout(this);
  auto* caption =
      new QLabel(entries.empty() ? "No backups yet in " + folder + "."
                                 : "The device's configurations as read, newest first, kept in " +
                                       folder + ":");
  caption->setTextFormat(Qt::PlainText);
  caption->setWordWrap(true);
  layout->addWidget(caption);

  table_ = new QTableWidget(static_cast<int>(entries.size()), 4);
  table_->setObjectName(names::kHistoryTable);
  table_->setAccessibleName("Backups");
  table_->setHorizontalHeaderLabels({"Time (UTC)", "Station", "File", "Against the one before"});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (int row = 0; row < static_cast<int>(entries.size()); ++row) {
    const backup::HistoryEntry& e = entries[static_cast<std::size_t>(row)];
    // Names this store gave: letters, digits, '-', '_' and '.', nothing to escape.
    table_->setItem(
        row, 0, new QTableWidgetItem(QString::fromStdString(backup::displayTime(e.backup.time))));
    table_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(e.backup.station)));
    table_->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(e.backup.file)));
    table_->setItem(row, 3, new QTableWidgetItem(QString::fromStdString(backup::againstText(e))));
  }
  table_->resizeColumnsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  auto* compare = buttons->addButton("&Compare with the window", QDialogButtonBox::ActionRole);
  compare->setObjectName(names::kHistoryCompareButton);
  auto* load = buttons->addButton("&Load into the window", QDialogButtonBox::ActionRole);
  load->setObjectName(names::kHistoryLoadButton);
  connect(compare, &QPushButton::clicked, this, [this] { choose(Request::Compare); });
  connect(load, &QPushButton::clicked, this, [this] { choose(Request::Load); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  // The two requests need a backup: the newest is chosen at first.
  const auto chosenRow = [this] { return !table_->selectionModel()->selectedRows().isEmpty(); };
  const auto enable = [compare, load, chosenRow] {
    compare->setEnabled(chosenRow());
    load->setEnabled(chosenRow());
  };
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, enable);
  if (!entries.empty()) table_->selectRow(0);
  enable();
  table_->setFocus();
  resize(720, 360);
}

void HistoryDialog::choose(Request request) {
  const QModelIndexList rows = table_->selectionModel()->selectedRows(2);
  if (rows.isEmpty()) return;
  request_ = request;
  chosen_ = rows.constFirst().data().toString();
  accept();
}

}  // namespace zorbel::app
