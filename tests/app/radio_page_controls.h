#pragma once
// A binder with the Radio page's controls only, on a widget of their own: for
// tests of the binder and the page builder without a main window.
#include <QWidget>

#include "settings/catalog.h"
#include "settings/page_names.h"
#include "settings_binder.h"

namespace zorbel::app {

inline void makeRadioPageControls(SettingsBinder& binder, QWidget& page) {
  binder.createControls([](std::string_view name) { return name == settings::pages::kRadio; });
  for (const settings::Setting& s : settings::allSettings()) {
    if (QWidget* w = binder.widget(s.name)) w->setParent(&page);
  }
}

}  // namespace zorbel::app
