#include "telemetry_pages.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <vector>

#include "object_names.h"
#include "page_builder.h"
#include "page_layouts.h"
#include "settings/page_names.h"

namespace zorbel::app {
namespace {

void reportPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kTelemetryReport, "Report settings"));
  builder.form(layout, 0,
               {{"Teletitle"_setting}, {"Tele_enable"_setting}, {"Tele_holdoff"_setting}});
  builder.form(layout, 2, {{"Telemodule_enable"_setting}, {"Bitsmodule_enable"_setting}});
  // The module selectors and their labels are hidden at start-up; the window finds the labels by
  // name.
  builder.caption("Telemodule_enable"_setting)->setObjectName(names::kTelemoduleCaption);
  builder.caption("Bitsmodule_enable"_setting)->setObjectName(names::kBitsmoduleCaption);
  QGridLayout* reports = innerGrid();
  reports->setHorizontalSpacing(4);
  builder.table(reports, {{RowText{"Telemetry parameters:"}, "Teleparams_dest_string"_setting,
                           "Teleparams_dest_ssid"_setting, "Teleparams_path_string"_setting,
                           "Teleparams_path_ssid"_setting, "Teleparams_txrate_rf"_setting,
                           "Teleparams_txrate_aprsis"_setting},
                          {RowText{"Telemetry data:"}, "Teledata_dest_string"_setting,
                           "Teledata_dest_ssid"_setting, "Teledata_path_string"_setting,
                           "Teledata_path_ssid"_setting, "Teledata_txrate_rf"_setting,
                           "Teledata_txrate_aprsis"_setting}});
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
  std::vector<Row> rows;
  for (int k = 1; k <= 5; ++k) {
    QPushButton* defaults = pageButton(names::analogDefaultsButton(k), "Default parameters");
    rows.push_back({RowText{QString("Analog %1:").arg(k)}, "Teleanalog#_name"_family.at(k),
                    "Teleanalog#_units"_family.at(k), "Teleanalog#_source"_family.at(k),
                    "Teleanalog#_coefa"_family.at(k), "Teleanalog#_coefb"_family.at(k),
                    "Teleanalog#_coefc"_family.at(k), "Teleanalog#_average"_family.at(k),
                    defaults});
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
  std::vector<Row> rows;
  for (int k = first; k < first + 4; ++k) {
    QPushButton* defaults = pageButton(names::digitalDefaultsButton(k), "Default parameters");
    rows.push_back({RowText{QString("Digital %1:").arg(k)}, "Teledigital#_name"_family.at(k),
                    "Teledigital#_units"_family.at(k), "Teledigital#_source"_family.at(k),
                    "Teledigital#_inverted"_family.at(k), defaults});
  }
  builder.table(layout, rows);
  alignColumns(layout, 1, 2);
  layout->setColumnStretch(6, 1);
  layout->setRowStretch(5, 1);
}

void quodraPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kQuodraOutputs, "Quodra outputs"));
  builder.form(layout, 0,
               {{"Quodra_output1"_setting},
                {"Quodra_output2"_setting},
                {"Quodra_output3"_setting},
                {"Quodra_output4"_setting}});
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
