#include "log_view.h"

#include <QAction>
#include <QPainter>
#include <QTextBlock>
#include <QTime>

#include "object_names.h"
#include "program_settings.h"

namespace zorbel::app {

namespace {

constexpr const char* kLogTimesKey = "log/showTimes";
constexpr const char* kTimeFormat = "hh:mm:ss";

}  // namespace

// The strip left of the lines where their times are drawn.
class TimeMargin : public QWidget {
 public:
  explicit TimeMargin(LogView* log) : QWidget(log), log_(log) {}

 protected:
  void paintEvent(QPaintEvent* event) override { log_->paintMargin(event); }

 private:
  LogView* log_;
};

LogView::LogView(int lines, QWidget* parent)
    : QPlainTextEdit(parent), margin_(new TimeMargin(this)) {
  setAccessibleName("Log");
  setReadOnly(true);
  setMaximumBlockCount(lines);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  const auto add = [this](const char* name, const QString& caption, const QKeySequence& keys = {}) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    addAction(action);
    return action;
  };
  connect(add(kCopyLogAction, "&Copy", QKeySequence::Copy), &QAction::triggered, this,
          &QPlainTextEdit::copy);
  connect(add(kSelectAllLogAction, "Select &all", QKeySequence::SelectAll), &QAction::triggered,
          this, &QPlainTextEdit::selectAll);
  // The window carries these out: it asks where to save.
  add(names::kSaveLogAction, QString::fromUtf8("&Save log\u2026"));
  add(names::kClearLogAction, "C&lear");
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  addAction(separator);
  QAction* times = add(kLogTimesAction, "Show &time stamps");
  times->setCheckable(true);
  setContextMenuPolicy(Qt::ActionsContextMenu);

  connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
    if (dy != 0)
      margin_->scroll(0, dy);
    else
      margin_->update(0, rect.y(), margin_->width(), rect.height());
  });
  connect(times, &QAction::toggled, this, [this](bool on) {
    setShowTimes(on);
    programSettings().setValue(kLogTimesKey, on);
  });
  times->setChecked(programSettings().value(kLogTimesKey, true).toBool());
  setShowTimes(times->isChecked());
}

void LogView::appendLine(const QString& line) {
  appendPlainText(line);
  document()->lastBlock().setUserState(QTime::currentTime().msecsSinceStartOfDay());
}

QString LogView::stamp(const QTextBlock& block) {
  return block.userState() >= 0
             ? QTime::fromMSecsSinceStartOfDay(block.userState()).toString(kTimeFormat)
             : QString();
}

QString LogView::savedText() const {
  QString text;
  for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
    if (block == document()->firstBlock() && block.text().isEmpty() && !block.next().isValid())
      break;  // an empty log
    const QString time = showTimes_ ? stamp(block) : QString();
    text += (time.isEmpty() ? QString() : time + ' ') + block.text() + '\n';
  }
  return text;
}

QSize LogView::sizeHint() const {
  return {QPlainTextEdit::sizeHint().width(),
          fontMetrics().lineSpacing() * 4 + 2 * frameWidth() + 8};
}

void LogView::setShowTimes(bool on) {
  showTimes_ = on;
  margin_->setVisible(on);
  setViewportMargins(on ? marginWidth() : 0, 0, 0, 0);
}

int LogView::marginWidth() const {
  return fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 8;
}

void LogView::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  const QRect inside = contentsRect();
  margin_->setGeometry(inside.left(), inside.top(), marginWidth(), inside.height());
}

void LogView::paintMargin(QPaintEvent* event) {
  QPainter painter(margin_);
  painter.fillRect(event->rect(), palette().alternateBase());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  QTextBlock block = firstVisibleBlock();
  qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
  while (block.isValid() && top <= event->rect().bottom()) {
    const qreal height = blockBoundingRect(block).height();
    if (block.isVisible() && top + height >= event->rect().top()) {
      painter.drawText(QRectF(0, top, marginWidth() - 4, fontMetrics().height()), Qt::AlignRight,
                       stamp(block));
    }
    top += height;
    block = block.next();
  }
}

}  // namespace zorbel::app
