#pragma once
// Alt+letters for tab captions.
#include <QString>

class QTabWidget;

namespace zorbel::app {

// Gives as many tabs of `tabs` as can have one a letter of their caption that
// neither `taken` nor another tab uses; an earlier tab, and an earlier letter
// in its caption, is preferred. Returns the letters given.
QString assignTabMnemonics(QTabWidget* tabs, const QString& taken);

}  // namespace zorbel::app
