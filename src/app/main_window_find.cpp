// The search field in the tool bar, going to a setting, and the keyboard and
// screen reader aids that are no page's own: the address boxes typed as one,
// the combo boxes' labels.
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include "address_boxes.h"
#include "combo_labels.h"
#include "keyboard_access.h"
#include "main_window.h"
#include "object_names.h"
#include "setting_places.h"
#include "settings/catalog.h"
#include "settings/setting_name.h"
#include "settings_search.h"

namespace zorbel::app {

void MainWindow::setUpFinding() {
  auto* bar = findChild<QToolBar*>(names::kToolBar);
  if (bar == nullptr) {
    bar = addToolBar("Tool bar");
    bar->setObjectName(names::kToolBar);
    bar->setMovable(false);
  }
  SettingsSearchField::Hooks hooks;
  hooks.reachable = [this](std::size_t i) {
    const QWidget* control = binder_.widget(settings::allSettings()[i].name);
    if (control == nullptr) return false;
    if (control->window() == filterWindow_)
      return reachable(findChild<QPushButton*>(names::kFilterSetupButton));
    return control->window() == this && reachable(control);
  };
  hooks.name = [this](std::size_t i) { return placedSettingCaption(i); };
  hooks.goTo = [this](std::size_t i) { goToSetting(i); };
  auto* field = new SettingsSearchField(std::move(hooks));
  auto* gap = new QWidget;
  gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  bar->addWidget(gap);
  bar->addWidget(field);
  auto* search = new QAction("Search settings", this);
  search->setShortcut(QKeySequence::Find);
  connect(search, &QAction::triggered, field, [field] {
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
  });
  addAction(search);

  for (const settings::SettingFamily address :
       {"Ipaddr#"_family, "Ipmask#"_family, "Ipgate#"_family, "Ipdns#"_family}) {
    std::vector<QLineEdit*> parts;
    for (int part = 0; part < 4; ++part)
      parts.push_back(binder_.control<QLineEdit>(address.at(part)));
    chainAddressBoxes(parts);
  }
  labelCombosForScreenReaders(this);
}

QString MainWindow::placedSettingCaption(std::size_t settingIndex) const {
  const QWidget* control = binder_.widget(settings::allSettings()[settingIndex].name);
  QStringList path;
  if (control != nullptr && control->window() == filterWindow_) {
    const auto* opener = findChild<QPushButton*>(names::kFilterSetupButton);
    path = tabPath(opener) << spokenCaption(opener->text());
  } else if (control != nullptr) {
    path = tabPath(control);
  }
  return placedCaption(path, settingCaption(settingIndex));
}

void MainWindow::goToSetting(std::size_t settingIndex) {
  QWidget* control = binder_.widget(settings::allSettings()[settingIndex].name);
  if (control == nullptr) return;
  if (control->window() == filterWindow_) {
    // Its page first, then its window, opened with the focus on it.
    showControl(findChild<QPushButton*>(names::kFilterSetupButton));
    control->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, control, [control] { flashHighlight(control); });
    showFilterSetup();
    return;
  }
  showControl(control);
  flashHighlight(control);
}

}  // namespace zorbel::app
