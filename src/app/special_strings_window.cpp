#include <QLabel>
#include <QVBoxLayout>

#include "auxiliary_windows.h"
#include "object_names.h"

namespace zorbel::app {

SpecialStringsWindow::SpecialStringsWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(names::kSpecialStringsWindow);
  setWindowTitle("Beacon special strings");
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(2);
  for (const char* line : {"<date> - inserts current time in format: DDHHMM. ",
                           "<lat> - inserts latitude defined on  \"Radio\" Tab.",
                           "<long> - inserts longitude defined on  \"Radio\" Tab.",
                           "Example:", "@<date>z<lat>/<long>-ZORBEL Test."}) {
    auto* label = new QLabel(line);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
  }
  layout->addStretch();
  fixWindowSize(*this, QSize(251, 116));
}

void fixWindowSize(QDialog& window, QSize designed) {
  // Word-wrapped labels need their height for the width the window gets.
  QLayout* layout = window.layout();
  const int width = std::max(designed.width(), layout->totalMinimumSize().width());
  const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                 : layout->totalSizeHint().height();
  window.setFixedSize(width, std::max(designed.height(), height));
}

}  // namespace zorbel::app
