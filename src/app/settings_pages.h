#pragma once
// Places the settings controls on the main window's pages and in the filter
// window. The controls themselves come from the declarations (control_factory);
// this file only says where each one stands.
class QTabWidget;
class QWidget;

namespace zorbel::app {

class SettingsBinder;

// Fills the main window's settings tabs with their pages (the telemetry page
// with its own tabs), including the pages' buttons: "Special strings",
// "Filter setup" and each channel's "Default parameters".
void buildSettingsPages(QTabWidget* settingsTabs, const SettingsBinder& controls);

// The twelve filter entries of the filter window, in two columns of six.
QWidget* buildFilterEntries(const SettingsBinder& controls);

}  // namespace zorbel::app
