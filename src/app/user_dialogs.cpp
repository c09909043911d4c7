#include "user_dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTextDocument>

namespace zorbel::app {

QString qtNameFilter(const QString& filter) {
  // Pairs of description|pattern; the description already names the pattern.
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (qsizetype i = 0; i < parts.size(); i += 2) filters << parts[i];
  return filters.join(";;");
}

void QtDialogs::message(Icon icon, const QString& title, const QString& text, const QString& details,
                        QWidget* parent) {
  QMessageBox box(icon == Icon::Information ? QMessageBox::Information : QMessageBox::Critical, title, text,
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  if (!details.isEmpty()) box.setInformativeText(Qt::convertFromPlainText(details));
  box.exec();
}

std::optional<QString> QtDialogs::chooseFile(const FileDialogRequest& request, QWidget* parent) {
  QFileDialog dialog(parent, QString(), request.folder, qtNameFilter(request.filter));
  dialog.setObjectName(request.name);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // A name may be typed that does not exist yet; the command reports what it cannot open.
  dialog.setFileMode(QFileDialog::AnyFile);
  // No default extension and no overwrite question: the name is used as typed.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

void QtDialogs::showModal(QDialog& window) { window.exec(); }

}  // namespace zorbel::app
