#include "combo_labels.h"

#include <QComboBox>
#include <QLabel>

namespace zorbel::app {
namespace {

// Qt relates a control to the labels among its siblings whose buddy it is.
bool hasBuddyLabel(const QComboBox* combo) {
  for (const QLabel* label :
       combo->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    if (label->buddy() == combo) return true;
  }
  return false;
}

}  // namespace

void labelCombosForScreenReaders(QWidget* root) {
  for (QComboBox* combo : root->findChildren<QComboBox*>()) {
    if (combo->parentWidget() == nullptr || combo->accessibleName().isEmpty() ||
        hasBuddyLabel(combo)) {
      continue;
    }
    // Made after the mnemonics: it takes no letter. An & stays an &.
    QString text = combo->accessibleName();
    auto* label = new QLabel(text.replace("&", "&&"), combo->parentWidget());
    label->setObjectName(combo->objectName() + "Label");
    label->setBuddy(combo);
    label->hide();
  }
}

}  // namespace zorbel::app
