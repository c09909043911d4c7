#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "auxiliary_windows.h"
#include "keyboard_access.h"
#include "object_names.h"
#include "settings_binder.h"
#include "settings_pages.h"

namespace zorbel::app {

FilterWindow::FilterWindow(SettingsBinder& binder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("filterWindow");
  setWindowTitle("APRS-IS packets to RF filter (first matching entry decides):");

  // The entries start as their declarations say: empty callsign, "*", "Not used".
  binder.createControls([](std::string_view page) { return page == "filterWindow"; });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildFilterEntries(binder));

  auto* ok = new QPushButton("OK");
  ok->setObjectName(names::kFilterOkButton);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* okRow = new QHBoxLayout;
  okRow->addStretch();
  okRow->addWidget(ok);
  layout->addLayout(okRow);

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
  fixWindowSize(*this, QSize(433, 271));
}

}  // namespace zorbel::app
