#pragma once
// A settings page whose controls scroll when the window is smaller than the
// page, so that the window fits a small screen at a large scale.
#include <QScrollArea>

class QMainWindow;
class QPlainTextEdit;

namespace zorbel::app {

// The scroll area inside a page. It starts out asking for room for the whole
// page, so that the window's default size can be measured as it was laid
// out; letShrink() then lets it become smaller than its page.
class PageScrollArea : public QScrollArea {
  Q_OBJECT

 public:
  explicit PageScrollArea(QWidget* parent = nullptr);

  void letShrink();
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 private:
  bool whole_ = true;
};

// Gives `page` a scroll area and returns the widget inside it, which takes
// the page's controls and layout.
QWidget* scrollingContent(QWidget* page);

// The window's default size: the smallest that shows every page whole (the
// tab captions in one row, `log` four lines high), at least `designed`. After
// measuring it, the pages may scroll, the tab bars get scroll buttons and the
// log takes what is left, so that the window can be made much smaller.
QSize measureAndLetShrink(QMainWindow& window, QPlainTextEdit& log, QSize designed);

}  // namespace zorbel::app
