#include "page_layouts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <algorithm>
#include <vector>

#include "page_scroll.h"

namespace zorbel::app {

QGridLayout* gridOn(QWidget* parent) {
  auto* grid = new QGridLayout(parent);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(2);
  return grid;
}

QGridLayout* innerGrid() {
  auto* grid = new QGridLayout;
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(2);
  return grid;
}

QGroupBox* group(const QString& title) { return new QGroupBox(title); }

QLabel* note(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  return label;
}

QWidget* addPage(QTabWidget* tabs, const char* name, const QString& caption) {
  auto* page = new QWidget;
  page->setObjectName(name);
  tabs->addTab(page, caption);
  return scrollingContent(page);
}

void alignColumns(QGridLayout* grid, int firstColumn, int lastColumn) {
  for (int column = firstColumn; column <= lastColumn; ++column) {
    std::vector<QLineEdit*> boxes;
    int widest = 0;
    for (int row = 0; row < grid->rowCount(); ++row) {
      QLayoutItem* item = grid->itemAtPosition(row, column);
      if (auto* box = item != nullptr ? qobject_cast<QLineEdit*>(item->widget()) : nullptr) {
        boxes.push_back(box);
        widest = std::max(widest, box->minimumWidth());  // the width its longest text needs
      }
    }
    for (QLineEdit* box : boxes) box->setFixedWidth(widest);
  }
}

}  // namespace zorbel::app
