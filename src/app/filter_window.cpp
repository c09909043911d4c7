#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "auxiliary_windows.h"
#include "combo_labels.h"
#include "keyboard_access.h"
#include "object_names.h"
#include "settings/page_names.h"
#include "settings_binder.h"
#include "settings_pages.h"

namespace zorbel::app {

FilterWindow::FilterWindow(SettingsBinder& binder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(settings::pages::kFilterWindow);
  setWindowTitle("APRS-IS packets to RF filter (first matching entry decides):");

  // The entries start as their declarations say: empty callsign, "*", "Not used".
  binder.createControls(
      [](std::string_view page) { return page == settings::pages::kFilterWindow; });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildFilterEntries(binder));

  auto* ok = new QPushButton("OK");
  ok->setObjectName(names::kFilterOkButton);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = new QPushButton("Cancel");
  cancel->setObjectName(names::kFilterCancelButton);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  for (const char* text :
       {"Order of entries is important, if you deny/allow something in previous field, it will "
        "not be tested in next fields, comparison stops when pattern match is found.",
        "* wildcards are supported in APRS-IS packets to RF filter."}) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    layout->addWidget(label);
  }
  assignMnemonics(this, QString());
  refuseAltText(this);
  labelCombosForScreenReaders(this);
  fixWindowSize(*this, QSize(433, 271));
}

void FilterWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // shown again by the window system, not opened
  openedTexts_.clear();
  openedItems_.clear();
  for (QLineEdit* edit : findChildren<QLineEdit*>()) openedTexts_.emplace_back(edit, edit->text());
  for (QComboBox* combo : findChildren<QComboBox*>())
    openedItems_.emplace_back(combo, combo->currentIndex());
}

void FilterWindow::reject() {
  for (const auto& [edit, text] : openedTexts_) edit->setText(text);
  for (const auto& [combo, index] : openedItems_) combo->setCurrentIndex(index);
  QDialog::reject();
}

}  // namespace zorbel::app
