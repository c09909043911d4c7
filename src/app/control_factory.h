#pragma once
// One widget per setting, made from its declaration: object name, hint,
// length limit, items and caption all come from the settings table.
#include "settings/setting.h"

class QLabel;
class QWidget;

namespace zorbel::app {

// A QLineEdit, QComboBox or QCheckBox named after the setting.
QWidget* makeControl(const settings::Setting& setting);

// The caption that stands beside a control, bound to it as its buddy.
QLabel* makeCaption(const settings::Setting& setting, QWidget* control);

}  // namespace zorbel::app
