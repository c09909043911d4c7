#include "telemetry_pages.h"

#include <QGridLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "object_names.h"
#include "page_builder.h"
#include "page_layouts.h"
#include "settings/page_names.h"

namespace zorbel::app {
namespace {

// A member of a family of settings: "Teleanalog" and 3 give "Teleanalog3".
std::string numbered(const std::string& stem, int number) { return stem + std::to_string(number); }

void reportPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kTelemetryReport, "Report settings"));
  builder.form(layout, 0, {{"Teletitle"}, {"Tele_enable"}, {"Tele_holdoff"}});
  builder.form(layout, 2, {{"Telemodule_enable"}, {"Bitsmodule_enable"}});
  // The module selectors and their labels are hidden at start-up; the window finds the labels by
  // name.
  builder.caption("Telemodule_enable")->setObjectName(names::kTelemoduleCaption);
  builder.caption("Bitsmodule_enable")->setObjectName(names::kBitsmoduleCaption);
  QGridLayout* reports = innerGrid();
  reports->setHorizontalSpacing(4);
  builder.table(reports, {{"Telemetry parameters:", "Teleparams_dest_string",
                           "Teleparams_dest_ssid", "Teleparams_path_string", "Teleparams_path_ssid",
                           "Teleparams_txrate_rf", "Teleparams_txrate_aprsis"},
                          {"Telemetry data:", "Teledata_dest_string", "Teledata_dest_ssid",
                           "Teledata_path_string", "Teledata_path_ssid", "Teledata_txrate_rf",
                           "Teledata_txrate_aprsis"}});
  reports->setColumnStretch(9, 1);
  layout->addLayout(reports, 3, 0, 1, 4);
  layout->addWidget(
      note("Telemetry reports, the telemetry messages and their limits are described in "
           "chapter 13 of "
           "the APRS Protocol Reference 1.0.1."),
      4, 0, 1, 4);
  layout->setColumnStretch(3, 1);
  layout->setRowStretch(5, 1);
}

void analogPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kAnalogChannels, "Analog channels"));
  layout->setHorizontalSpacing(4);
  std::vector<Tokens> rows;
  for (int k = 1; k <= 5; ++k) {
    const std::string a = numbered("Teleanalog", k);
    const std::string button = names::analogDefaultsButton(k).toStdString();
    builder.button(button, "Default parameters");
    rows.push_back({"Analog " + std::to_string(k) + ":", a + "_name", a + "_units", a + "_source",
                    a + "_coefa", a + "_coefb", a + "_coefc", a + "_average", button});
  }
  builder.table(layout, rows);
  alignColumns(layout, 1, 2);
  if (auto* header = qobject_cast<QLabel*>(layout->itemAtPosition(0, 7)->widget()))
    header->setWordWrap(true);
  layout->setColumnStretch(9, 1);
  layout->setRowStretch(6, 1);
}

void digitalPage(QTabWidget* tabs, PageBuilder& builder, const char* name, const QString& caption,
                 int first) {
  QGridLayout* layout = gridOn(addPage(tabs, name, caption));
  std::vector<Tokens> rows;
  for (int k = first; k < first + 4; ++k) {
    const std::string d = numbered("Teledigital", k);
    const std::string button = names::digitalDefaultsButton(k).toStdString();
    builder.button(button, "Default parameters");
    rows.push_back({"Digital " + std::to_string(k) + ":", d + "_name", d + "_units", d + "_source",
                    d + "_inverted", button});
  }
  builder.table(layout, rows);
  alignColumns(layout, 1, 2);
  layout->setColumnStretch(6, 1);
  layout->setRowStretch(5, 1);
}

void quodraPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kQuodraOutputs, "Quodra outputs"));
  builder.form(layout, 0,
               {{"Quodra_output1"}, {"Quodra_output2"}, {"Quodra_output3"}, {"Quodra_output4"}});
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(4, 1);
}

}  // namespace

void addTelemetryPage(QTabWidget* tabs, PageBuilder& builder) {
  QWidget* sheet = addPage(tabs, settings::pages::kTelemetry, "Telemetry reports");
  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* telemetryTabs = new QTabWidget;
  telemetryTabs->setObjectName(names::kTelemetryTabs);
  telemetryTabs->setAccessibleName("Telemetry reports");
  telemetryTabs->setUsesScrollButtons(false);
  layout->addWidget(telemetryTabs);
  reportPage(telemetryTabs, builder);
  analogPage(telemetryTabs, builder);
  digitalPage(telemetryTabs, builder, settings::pages::kDigitalChannels1to4, "Digital channels 1-4",
              1);
  digitalPage(telemetryTabs, builder, settings::pages::kDigitalChannels5to8, "Digital channels 5-8",
              5);
  quodraPage(telemetryTabs, builder);
}

}  // namespace zorbel::app
