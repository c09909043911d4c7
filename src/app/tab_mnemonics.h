#pragma once
// Alt+letters for tab captions.
#include <QString>

class QTabWidget;
class QWidget;

namespace zorbel::app {

// The mnemonic letters of the captions, check boxes and buttons under `scope`.
QString mnemonicLetters(const QWidget* scope);

// Gives each tab of `tabs` the first letter of its caption that neither
// `taken` nor an earlier tab uses, where it has one. Returns the letters given.
QString assignTabMnemonics(QTabWidget* tabs, const QString& taken);

}  // namespace zorbel::app
