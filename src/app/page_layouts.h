#pragma once
// The pieces every settings page is laid out with, so that all pages share
// one spacing: grids, group boxes, notes and the pages themselves.
class QGridLayout;
class QGroupBox;
class QLabel;
class QString;
class QTabWidget;
class QWidget;

namespace zorbel::app {

// A grid laid on `parent` (a page or a group box) with the pages' margins and spacing.
QGridLayout* gridOn(QWidget* parent);

// A grid inside a page's own grid: no margins of its own.
QGridLayout* innerGrid();

QGroupBox* group(const QString& title);

// A line of explanation, wrapped to the page's width.
QLabel* note(const QString& text);

// A new empty page at the end of `tabs`, with `name` as its object name.
// Returns the widget inside the page's scroll area, which takes its controls.
QWidget* addPage(QTabWidget* tabs, const char* name, const QString& caption);

// The edit boxes of each column of a table as wide as the column's widest.
void alignColumns(QGridLayout* grid, int firstColumn, int lastColumn);

}  // namespace zorbel::app
