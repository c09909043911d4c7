#pragma once
// "Device → History…": the backups of the device's configuration, newest
// first, as `zorbelctl history` lists them. The user picks one and asks to
// compare it with the window or to load it into the window; the window does
// that once the dialog has closed.
#include <QDialog>
#include <QString>
#include <vector>

#include "backup/backup_history.h"

class QTableWidget;

namespace zorbel::app {

class HistoryDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Request { None, Compare, Load };

  // `folder` is where the backups are, named under an empty list.
  HistoryDialog(const std::vector<backup::HistoryEntry>& entries, const QString& folder,
                QWidget* parent);

  // What the user asked for, and the backup's file name.
  Request request() const { return request_; }
  const QString& chosenFile() const { return chosen_; }

 private:
  void choose(Request request);

  QTableWidget* table_ = nullptr;
  Request request_ = Request::None;
  QString chosen_;
};

}  // namespace zorbel::app
