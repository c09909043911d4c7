#include "prewrite_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "aprs_object_names.h"
#include "latin1.h"

namespace zorbel::app {

PreWriteDialog::PreWriteDialog(const std::vector<settings::PreWriteWarning>& warnings,
                               const std::vector<QString>& captions, QWidget* parent)
    : QDialog(parent) {
  setObjectName(names::kPreWriteDialog);
  setWindowTitle("Before you write");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel("The device takes these settings, but they are most likely not "
                 "what you want on air or on the network:"));
  auto* rows = new QGridLayout;
  rows->setHorizontalSpacing(8);
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    const auto& w = warnings[i];
    const int row = static_cast<int>(i);
    // One click away: the button shows the setting's page and box.
    auto* go = new QPushButton(i < captions.size() ? captions[i] : fromBytes(w.setting));
    go->setObjectName(names::preWriteSettingButton(QString::fromStdString(w.setting)));
    go->setToolTip("Show this setting");
    go->setAutoDefault(false);
    connect(go, &QPushButton::clicked, this, [this, setting = w.setting] {
      chosen_ = setting;
      reject();
    });
    rows->addWidget(go, row, 0);
    auto* text = new QLabel(fromBytes(w.text));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    rows->addWidget(text, row, 1);
    auto* dismiss = new QCheckBox("Don't warn me about these again");
    dismiss->setObjectName(names::preWriteDismissBox(QString::fromStdString(w.key)));
    dismiss->setAccessibleName(fromBytes(w.text) + " Don't warn me about these again");
    rows->addWidget(dismiss, row, 2);
    dismissBoxes_.emplace_back(w.key, dismiss);
  }
  rows->setColumnStretch(1, 1);
  layout->addLayout(rows);

  auto* buttons = new QDialogButtonBox;
  QPushButton* write = buttons->addButton("&Write anyway", QDialogButtonBox::AcceptRole);
  write->setObjectName(names::kWriteAnywayButton);
  write->setAutoDefault(false);
  QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  cancel->setObjectName(names::kPreWriteCancelButton);
  cancel->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  cancel->setFocus();
}

std::vector<std::string> PreWriteDialog::dismissedKeys() const {
  std::vector<std::string> out;
  for (const auto& [key, box] : dismissBoxes_)
    if (box->isChecked()) out.push_back(key);
  return out;
}

}  // namespace zorbel::app
