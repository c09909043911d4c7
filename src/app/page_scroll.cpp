#include "page_scroll.h"

#include <QLayout>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zorbel::app {

namespace {

// However small the window, a page shows this many lines of its controls.
constexpr int kLeastPageLines = 6;

int linesHigh(const QWidget& widget, int lines) {
  return widget.fontMetrics().lineSpacing() * lines;
}

}  // namespace

PageScrollArea::PageScrollArea(QWidget* parent) : QScrollArea(parent) {
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  // Tab goes from control to control, never to the page itself.
  setFocusPolicy(Qt::NoFocus);
}

void PageScrollArea::letShrink() {
  whole_ = false;
  updateGeometry();
}

// Room for the whole page, whether or not it may shrink.
QSize PageScrollArea::sizeHint() const {
  return widget() != nullptr ? widget()->minimumSizeHint() : QScrollArea::sizeHint();
}

QSize PageScrollArea::minimumSizeHint() const {
  if (whole_) return sizeHint();
  const QSize least = QScrollArea::minimumSizeHint();
  return {least.width(), std::max(least.height(), linesHigh(*this, kLeastPageLines))};
}

QWidget* scrollingContent(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* area = new PageScrollArea;
  auto* content = new QWidget;
  content->setObjectName(page->objectName() + "Content");
  area->setWidget(content);
  layout->addWidget(area);
  return content;
}

QSize measureAndLetShrink(QMainWindow& window, QPlainTextEdit& log, QSize designed) {
  log.setFixedHeight(linesHigh(log, 4) + 2 * log.frameWidth() + 8);
  const QSize natural = window.minimumSizeHint().expandedTo(designed);

  for (auto* area : window.findChildren<PageScrollArea*>()) area->letShrink();
  for (auto* tabs : window.findChildren<QTabWidget*>()) tabs->setUsesScrollButtons(true);
  log.setMinimumHeight(linesHigh(log, 2) + 2 * log.frameWidth());
  log.setMaximumHeight(QWIDGETSIZE_MAX);
  // Every layout on the way up keeps its measures until told, also on hidden pages.
  for (auto* widget : window.findChildren<QWidget*>()) widget->updateGeometry();
  for (auto* layout : window.findChildren<QLayout*>()) layout->invalidate();
  return natural;
}

}  // namespace zorbel::app
