#pragma once
// The main window's log: one line per event, its last lines kept, each with
// the time it came (shown in a margin, so that the lines' texts stay as they
// are). Its context menu copies, selects, saves, clears and switches the
// times on and off.
#include <QPlainTextEdit>

namespace zorbel::app {

inline constexpr const char* kCopyLogAction = "copyLogAction";
inline constexpr const char* kSelectAllLogAction = "selectAllLogAction";
inline constexpr const char* kLogTimesAction = "logTimesAction";

class LogView : public QPlainTextEdit {
  Q_OBJECT

 public:
  // Keeps the last `lines` lines.
  explicit LogView(int lines, QWidget* parent = nullptr);

  // Adds `line` as the last line, stamped with the time now.
  void appendLine(const QString& line);
  // The lines, each after its time ("12:04:31 Send finished.") while the times are shown.
  QString savedText() const;
  bool showsTimes() const { return showTimes_; }

  // Four lines high, as it was laid out; it grows with the window.
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class TimeMargin;
  void setShowTimes(bool on);
  int marginWidth() const;
  void paintMargin(QPaintEvent* event);
  static QString stamp(const QTextBlock& block);

  QWidget* margin_;
  bool showTimes_ = true;
};

}  // namespace zorbel::app
