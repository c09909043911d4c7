#pragma once
// Screen readers on Linux name a combo box only by the labels it is
// "labelled by" (the labels whose buddy it is); its accessible name is its
// current item. A combo box without a caption of its own (a table cell)
// gets a hidden label holding its accessible name ("1 traceable").
class QWidget;

namespace zorbel::app {

// Every combo box under `root` that no label names gets a hidden buddy label
// beside it with its accessible name.
void labelCombosForScreenReaders(QWidget* root);

}  // namespace zorbel::app
