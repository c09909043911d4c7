#include "user_dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>
#include <algorithm>

namespace zorbel::app {

QString qtNameFilter(const QString& filter) {
  // Pairs of description|pattern; the description already names the pattern.
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (qsizetype i = 0; i < parts.size(); i += 2) filters << parts[i];
  return filters.join(";;");
}

void QtDialogs::message(Icon icon, const QString& title, const QString& text,
                        const QString& details, QWidget* parent) {
  const QMessageBox::Icon shown = icon == Icon::Information ? QMessageBox::Information
                                  : icon == Icon::Warning   ? QMessageBox::Warning
                                                            : QMessageBox::Critical;
  QMessageBox box(shown, title, text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  if (!details.isEmpty()) box.setInformativeText(Qt::convertFromPlainText(details));
  box.exec();
}

bool QtDialogs::question(const QString& title, const QString& text, QWidget* parent) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

int QtDialogs::choose(const Choice& choice, QWidget* parent) {
  QMessageBox box(choice.warning ? QMessageBox::Warning : QMessageBox::Question, choice.title,
                  choice.text, QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  if (!choice.details.isEmpty()) box.setInformativeText(Qt::convertFromPlainText(choice.details));
  std::vector<QAbstractButton*> buttons;
  int rejectIndex = static_cast<int>(choice.buttons.size()) - 1;
  for (const Choice::Button& b : choice.buttons) {
    QMessageBox::ButtonRole role = QMessageBox::AcceptRole;
    if (b.role == Choice::Role::Destructive) role = QMessageBox::DestructiveRole;
    if (b.role == Choice::Role::Reject) {
      role = QMessageBox::RejectRole;
      rejectIndex = static_cast<int>(buttons.size());
    }
    buttons.push_back(box.addButton(b.caption, role));
  }
  if (choice.defaultButton >= 0 && choice.defaultButton < static_cast<int>(buttons.size())) {
    box.setDefaultButton(static_cast<QPushButton*>(buttons[choice.defaultButton]));
  }
  if (rejectIndex >= 0) box.setEscapeButton(buttons[rejectIndex]);
  box.exec();
  const auto pressed = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return pressed == buttons.end() ? rejectIndex : static_cast<int>(pressed - buttons.begin());
}

std::optional<QString> QtDialogs::chooseFile(const FileDialogRequest& request, QWidget* parent) {
  QFileDialog dialog(parent, QString(), request.folder, qtNameFilter(request.filter));
  dialog.setObjectName(request.name);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // The command adds the suffix and asks before it replaces a file.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  // Wide and tall enough that the name, size, type and date columns show whole.
  dialog.resize(dialog.sizeHint().expandedTo(QSize(820, 500)));
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

void QtDialogs::showModal(QDialog& window) { window.exec(); }

}  // namespace zorbel::app
