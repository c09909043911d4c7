#include "address_boxes.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace zorbel::app {
namespace {

class AddressChain : public QObject {
 public:
  AddressChain(std::vector<QLineEdit*> parts, QObject* owner)
      : QObject(owner), parts_(std::move(parts)) {
    for (QLineEdit* part : parts_) part->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const auto at = std::find(parts_.begin(), parts_.end(), watched);
    if (at == parts_.end() || (key->modifiers() & ~Qt::KeypadModifier) != 0) return false;
    QLineEdit* box = *at;
    QLineEdit* next = at + 1 != parts_.end() ? *(at + 1) : nullptr;
    QLineEdit* previous = at != parts_.begin() ? *(at - 1) : nullptr;
    const QString text = key->text();
    // A dot is never part of a part: it moves on from a part that has digits.
    if (key->key() == Qt::Key_Period) {
      if (next != nullptr && !box->text().isEmpty()) enter(next);
      return true;
    }
    const bool full = box->text().size() >= box->maxLength() && !box->hasSelectedText() &&
                      box->cursorPosition() == box->text().size();
    if (text.size() == 1 && text[0].isDigit() && full && next != nullptr) {
      enter(next);
      QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers(), text);
      QCoreApplication::sendEvent(next, &again);
      return true;
    }
    if (key->key() == Qt::Key_Backspace && box->text().isEmpty() && previous != nullptr) {
      previous->setFocus(Qt::OtherFocusReason);
      previous->deselect();
      previous->end(false);
      return true;
    }
    return false;
  }

 private:
  // The next part is typed over, as a fresh part.
  static void enter(QLineEdit* part) {
    part->setFocus(Qt::TabFocusReason);
    part->selectAll();
  }

  std::vector<QLineEdit*> parts_;
};

}  // namespace

void chainAddressBoxes(const std::vector<QLineEdit*>& parts) {
  if (parts.empty()) return;
  new AddressChain(parts, parts.front());
}

}  // namespace zorbel::app
