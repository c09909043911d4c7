#include "keyboard_access.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>
#include <vector>

namespace zorbel::app {
namespace {

// Swallows Alt+key presses that reach an edit box: a mnemonic that matched
// was taken as a shortcut before the box saw the key.
class AltTextGuard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto mods = static_cast<QKeyEvent*>(event)->modifiers();
      if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier)) return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

bool focusable(const QWidget* w) {
  return (w->focusPolicy() & Qt::TabFocus) != 0 && !w->isHidden() && w->focusProxy() == nullptr &&
         !w->parentWidget()->inherits("QComboBox");
}

QString withMnemonic(const QString& text, QString& used) {
  if (text.contains('&')) return text;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i].toUpper();
    if (c.isLetter() && c.unicode() < 128 && !used.contains(c)) {
      used += c;
      return text.left(i) + '&' + text.mid(i);
    }
  }
  return text;
}

}  // namespace

QString spokenCaption(const QString& caption) {
  QString text = caption;
  text.remove(QRegularExpression("&(?!&)"));
  text = text.trimmed();
  while (text.endsWith(':')) text.chop(1);
  return text.trimmed();
}

void assignMnemonics(QWidget* scope, const QString& reserved) {
  QString used = reserved.toUpper();
  // Letters a text already carries stay its own.
  const auto texts = [&](auto&& visit) {
    for (QObject* o : scope->findChildren<QObject*>()) {
      if (auto* label = qobject_cast<QLabel*>(o); label != nullptr && label->buddy() != nullptr) {
        visit(label->text(), [label](const QString& t) { label->setText(t); });
      } else if (auto* button = qobject_cast<QAbstractButton*>(o);
                 button != nullptr && !button->text().isEmpty() &&
                 (qobject_cast<QCheckBox*>(o) != nullptr ||
                  qobject_cast<QPushButton*>(o) != nullptr)) {
        visit(button->text(), [button](const QString& t) { button->setText(t); });
      }
    }
  };
  texts([&](const QString& text, auto) {
    const qsizetype amp = text.indexOf('&');
    if (amp >= 0 && amp + 1 < text.size()) used += text[amp + 1].toUpper();
  });
  texts([&](const QString& text, auto set) { set(withMnemonic(text, used)); });
}

void nameControlsByCaptions(QWidget* root) {
  for (QLabel* label : root->findChildren<QLabel*>()) {
    QWidget* buddy = label->buddy();
    if (buddy != nullptr && buddy->accessibleName().isEmpty()) {
      buddy->setAccessibleName(spokenCaption(label->text()));
    }
  }
}

namespace {

struct Placed {
  QWidget* widget;
  QRect rect;
};

// The nearest group box between `w` and `scope`, or `scope`.
QWidget* block(QWidget* w, QWidget* scope) {
  for (QWidget* p = w->parentWidget(); p != nullptr && p != scope; p = p->parentWidget()) {
    if (p->inherits("QGroupBox")) return p;
  }
  return scope;
}

// The controls directly in `scope` and the group boxes in it, each group box
// taken whole in its place: row by row, left to right in each row.
void appendByRows(QWidget* scope, QWidget* page, std::vector<QWidget*>& chain) {
  std::vector<Placed> items;
  for (QWidget* w : scope->findChildren<QWidget*>()) {
    // A combo box's list is a window of its own.
    if (w->window() != page->window() || block(w, scope) != scope) continue;
    if (focusable(w) || (w->inherits("QGroupBox") && !w->isHidden())) {
      items.push_back({w, QRect(w->mapTo(page, QPoint(0, 0)), w->size())});
    }
  }
  // Top to bottom by their tops; an item whose top lies above the middle of
  // the row's first item stands in that row.
  std::stable_sort(items.begin(), items.end(),
                   [](const Placed& a, const Placed& b) { return a.rect.top() < b.rect.top(); });
  std::vector<std::vector<Placed>> rows;
  for (const Placed& p : items) {
    if (!rows.empty() && p.rect.top() < rows.back().front().rect.center().y()) {
      rows.back().push_back(p);
    } else {
      rows.push_back({p});
    }
  }
  for (auto& row : rows) {
    std::stable_sort(row.begin(), row.end(),
                     [](const Placed& a, const Placed& b) { return a.rect.x() < b.rect.x(); });
    for (const Placed& p : row) {
      if (p.widget->inherits("QGroupBox")) {
        appendByRows(p.widget, page, chain);
      } else {
        chain.push_back(p.widget);
      }
    }
  }
}

}  // namespace

void orderTabsByRows(QWidget* page) {
  // Laid out now, top down, also while the page is not shown.
  if (page->layout() != nullptr) page->layout()->activate();
  for (QWidget* w : page->findChildren<QWidget*>()) {
    if (w->layout() != nullptr) w->layout()->activate();
  }
  std::vector<QWidget*> chain;
  appendByRows(page, page, chain);
  for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void refuseAltText(QWidget* root) {
  auto* guard = new AltTextGuard(root);
  for (QLineEdit* edit : root->findChildren<QLineEdit*>()) edit->installEventFilter(guard);
}

}  // namespace zorbel::app
