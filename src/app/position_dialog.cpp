#include "position_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "aprs_object_names.h"
#include "latin1.h"

namespace zorbel::app {

QString positionSummary(const std::string& latitude, const std::string& longitude) {
  const auto p = settings::storedPosition(latitude, longitude);
  if (!p) return {};
  return QString::fromStdString(settings::decimalDegreesText(*p) + " (" +
                                settings::maidenheadLocator(*p) + ")");
}

PositionDialog::PositionDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(names::kPositionDialog);
  setWindowTitle("Set position");
  auto* layout = new QVBoxLayout(this);
  auto* caption = new QLabel(
      "&Position: decimal degrees (52.36, 16.91), degrees and minutes or seconds, with signs "
      "or N/S/E/W, or a Maidenhead locator (JO82lj):");
  caption->setWordWrap(true);
  layout->addWidget(caption);
  input_ = new QLineEdit;
  input_->setObjectName(names::kPositionInput);
  caption->setBuddy(input_);
  layout->addWidget(input_);
  result_ = new QLabel;
  result_->setObjectName(names::kPositionResult);
  result_->setTextFormat(Qt::PlainText);
  result_->setWordWrap(true);
  layout->addWidget(result_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(input_, &QLineEdit::textChanged, this, &PositionDialog::showResult);
  showResult();
}

// As the device will store it, in degrees and as a locator; or what was not understood.
void PositionDialog::showResult() {
  position_.reset();
  const QString typed = input_->text().trimmed();
  if (typed.isEmpty()) {
    result_->setText("Type a position.");
  } else if (const auto p = settings::parsePosition(typed.toUtf8().toStdString()); p.ok()) {
    position_ = p.value();
    result_->setText(QString("Latitude %1, Longitude %2: %3")
                         .arg(QString::fromStdString(p.value().latitude),
                              QString::fromStdString(p.value().longitude),
                              positionSummary(p.value().latitude, p.value().longitude)));
  } else {
    result_->setText("Not understood: " + QString::fromStdString(p.error().message));
  }
  ok_->setEnabled(position_.has_value());
}

}  // namespace zorbel::app
