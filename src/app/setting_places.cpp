#include "setting_places.h"

#include <QEvent>
#include <QFrame>
#include <QTabWidget>
#include <QTimer>

#include "keyboard_access.h"

namespace zorbel::app {
namespace {

// How long a found control stays framed.
constexpr int kHighlightMs = 1500;
constexpr const char* kHighlightName = "searchHighlight";

// The tab widget that shows `page` as one of its tabs (a page sits in a
// stacked widget inside its tab widget), or none.
QTabWidget* tabsOf(const QWidget* page) {
  const QWidget* stack = page->parentWidget();
  auto* tabs = stack != nullptr ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
  return tabs != nullptr && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

// A frame over the control that follows it while the layout settles.
class HighlightFrame : public QFrame {
 public:
  explicit HighlightFrame(QWidget* control) : QFrame(control->parentWidget()), control_(control) {
    setObjectName(kHighlightName);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet("QFrame { border: 3px solid #f5a700; border-radius: 3px; }");
    control->installEventFilter(this);
    follow();
    show();
    raise();
    QTimer::singleShot(kHighlightMs, this, &QObject::deleteLater);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) follow();
    return QFrame::eventFilter(watched, event);
  }

 private:
  void follow() { setGeometry(control_->geometry().adjusted(-4, -4, 4, 4)); }
  QWidget* control_;
};

}  // namespace

QStringList tabPath(const QWidget* control) {
  QStringList path;
  for (const QWidget* w = control; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
    if (QTabWidget* tabs = tabsOf(w)) path.prepend(spokenCaption(tabs->tabText(tabs->indexOf(w))));
  }
  return path;
}

QString placedCaption(const QStringList& path, const QString& caption) {
  return (path + QStringList{caption}).join(QString::fromUtf8(" \u203a "));
}

bool reachable(const QWidget* control) {
  for (const QWidget* w = control; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
    if (QTabWidget* tabs = tabsOf(w)) {
      if (!tabs->isTabVisible(tabs->indexOf(w))) return false;
    } else if (w->isHidden()) {
      return false;
    }
  }
  return true;
}

void flashHighlight(QWidget* control) {
  if (control->parentWidget() == nullptr) return;
  for (QObject* old :
       control->parentWidget()->findChildren<QFrame*>(kHighlightName, Qt::FindDirectChildrenOnly)) {
    delete old;
  }
  new HighlightFrame(control);
}

}  // namespace zorbel::app
