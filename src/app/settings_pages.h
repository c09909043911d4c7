#pragma once
// Places the settings controls on the main window's pages and in the filter
// window. The controls themselves come from the declarations (control_factory);
// this file only says where each one stands.
class QTabWidget;
class QWidget;

namespace zorbel::app {

class SettingsBinder;

// Fills PageControl1 with its pages (TabSheet1 ... TabSheet11, PageControl2 and
// its pages), including the page buttons Button11, Button20 and Button6 ... Button19.
void buildSettingsPages(QTabWidget* pageControl1, const SettingsBinder& controls);

// The twelve filter entries of the filter window, in two columns of six.
QWidget* buildFilterEntries(const SettingsBinder& controls);

}  // namespace zorbel::app
