#pragma once
// Keyboard and screen-reader access for the windows: mnemonics, a tab order
// that follows the rows on screen, accessible names, and edit boxes that never
// take an Alt+letter as text.
#include <QString>

class QWidget;

namespace zorbel::app {

// A caption's text as a screen reader names its control: without the
// mnemonic's '&' and without the trailing colon ("IP Address").
QString spokenCaption(const QString& caption);

// Gives each caption bound to a control, each check box and each button under
// `scope` a mnemonic: the first of its letters that no other under `scope` and
// none of `reserved` uses. A text that has none of its own keeps none.
void assignMnemonics(QWidget* scope, const QString& reserved);

// Every control under `root` that a caption is bound to and that has no
// accessible name yet is named after that caption.
void nameControlsByCaptions(QWidget* root);

// Orders the keyboard focus of the controls under `page` row by row, left to
// right, as they stand once laid out.
void orderTabsByRows(QWidget* page);

// Edit boxes under `root` (combo boxes' included) ignore Alt+letter: an
// unmatched mnemonic never becomes text.
void refuseAltText(QWidget* root);

}  // namespace zorbel::app
