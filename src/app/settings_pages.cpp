#include "settings_pages.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <vector>

#include "aprs_object_names.h"
#include "object_names.h"
#include "page_builder.h"
#include "page_layouts.h"
#include "settings/host_names.h"
#include "settings/page_names.h"
#include "telemetry_pages.h"

namespace zorbel::app {
namespace {

// The label before a numbered row: "3:".
RowText numberLabel(int number) { return RowText{QString("%1:").arg(number)}; }

// Radio: station identity and position on the left, transmitter timing on the right.
void radioPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kRadio, "Radio"));
  QPushButton* setPosition =
      pageButton(names::kSetPositionButton, QString::fromUtf8("Set position\u2026"));
  builder.form(layout, 0,
               {{"Callsign"_setting, RowText{"-"}, "Ssid"_setting},
                {"Latitude"_setting, setPosition},
                {"Longitude"_setting},
                {"Ptt"_setting},
                {"Busydetect"_setting}});
  builder.form(layout, 2,
               {{"Txdelay"_setting},
                {"Quiettime"_setting},
                {"Quiettime_randomize"_setting},
                {"Consecutive_packets"_setting}});
  layout->setColumnStretch(4, 1);
  layout->setRowStretch(5, 1);
}

// Digipeater: common settings and the eight path rules (two columns of four)
// on the left, the callsign filter (two columns of five) on the right.
void digipeaterPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kDigipeater, "Digipeater"));

  QGroupBox* common = group("Common Digipeater settings:");
  QGridLayout* commonGrid = gridOn(common);
  builder.form(commonGrid, 0, {{"Digion"_setting}});
  builder.form(commonGrid, 2, {{"Floodtimeout"_setting}});
  commonGrid->setColumnStretch(4, 1);
  layout->addWidget(common, 0, 0);

  QGroupBox* paths = group("New-N Paradigm PATH filter rules:");
  std::vector<Row> pathRows;
  for (int k = 1; k <= 4; ++k) {
    Row row;
    for (int rule : {k, k + 4}) {
      row.insert(row.end(), {numberLabel(rule), "Pathn#_name"_family.at(rule),
                             "Pathn#_lower"_family.at(rule), "Pathn#_higher"_family.at(rule),
                             "Pathn#_traceable"_family.at(rule), "Pathn#_active"_family.at(rule)});
    }
    pathRows.push_back(row);
  }
  builder.table(gridOn(paths), pathRows);
  layout->addWidget(paths, 1, 0);

  QGroupBox* calls = group("CALLSIGN filter rules:");
  QGridLayout* callsGrid = gridOn(calls);
  builder.form(callsGrid, 0, {{"Callfilter_rule"_setting}});
  QGridLayout* entries = innerGrid();
  std::vector<Row> callRows;
  for (int k = 1; k <= 5; ++k) {
    Row row;
    for (int rule : {k, k + 5}) {
      row.insert(row.end(), {numberLabel(rule), "Callfilter_callsign#"_family.at(rule),
                             "Callfilter_ssid#"_family.at(rule)});
    }
    callRows.push_back(row);
  }
  builder.table(entries, callRows);
  entries->setColumnStretch(6, 1);
  callsGrid->addLayout(entries, 1, 0, 1, 2);
  callsGrid->addWidget(note("* wildcards are supported in callsign filter rules"), 2, 0, 1, 2);
  layout->addWidget(calls, 0, 1, 2, 1);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(2, 1);
}

// Under each beacon's row (grid rows 1 to 8, moved to odd rows), a
// read-only line for the packet as it will go on air; the window fills it.
void addBeaconPreviews(QGridLayout* layout) {
  for (int k = 8; k >= 1; --k) {
    for (int column = 0; column < layout->columnCount(); ++column) {
      QLayoutItem* item = layout->itemAtPosition(k, column);
      if (item == nullptr || item->widget() == nullptr) continue;
      QWidget* w = item->widget();
      layout->removeWidget(w);
      layout->addWidget(w, 2 * k - 1, column);
    }
    auto* preview = new QLabel;
    preview->setObjectName(names::beaconPreview(k));
    preview->setTextFormat(Qt::PlainText);
    preview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    preview->setAccessibleName(QString("Beacon %1 as sent").arg(k));
    // A long packet is cut at the window's edge rather than widen it; the
    // tooltip holds it whole.
    preview->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(preview, 2 * k, 1, 1, layout->columnCount() - 1);
  }
}

// Beacons: one row per beacon; the special strings help sits at the header's end.
void beaconsPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kBeacons, "Beacons"));
  std::vector<Row> rows;
  for (int k = 1; k <= 8; ++k) {
    rows.push_back({numberLabel(k), "Beacon#_dest_string"_family.at(k),
                    "Beacon#_dest_ssid"_family.at(k), "Beacon#_path_string"_family.at(k),
                    "Beacon#_path_ssid"_family.at(k), "Beacon#_txrate_rf"_family.at(k),
                    "Beacon#_txrate_aprsis"_family.at(k), "Beacon#_msg"_family.at(k)});
  }
  builder.table(layout, rows);
  addBeaconPreviews(layout);
  // The message column's header and the button share the header row.
  QLayoutItem* header = layout->itemAtPosition(0, 9);
  auto* line = new QHBoxLayout;
  if (header != nullptr && header->widget() != nullptr) {
    QWidget* caption = header->widget();
    layout->removeWidget(caption);
    line->addWidget(caption);
  }
  line->addStretch();
  line->addWidget(pageButton(names::kSpecialStringsButton, "Special strings"));
  layout->addLayout(line, 0, 9);
  layout->setColumnStretch(9, 1);
  layout->setRowStretch(17, 1);
}

// Network: the four addresses, one edit box per part.
void networkPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kNetwork, "Network"));
  std::vector<FormRow> rows;
  const RowText dot{"."};
  for (const settings::SettingFamily address :
       {"Ipaddr#"_family, "Ipmask#"_family, "Ipgate#"_family, "Ipdns#"_family}) {
    rows.emplace_back(address.at(0), dot, address.at(1), dot, address.at(2), dot, address.at(3));
  }
  builder.form(layout, 0, rows);
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(4, 1);
}

// APRS-IS: servers and login side by side, then the timeout and the filter.
void aprsIsPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kAprsIs, "APRS-IS"));
  QGroupBox* servers = group("APRS-IS servers:");
  builder.form(gridOn(servers), 0,
               {{"Aprsis1_servername"_setting, "Aprsis1_port"_setting},
                {"Aprsis2_servername"_setting, "Aprsis2_port"_setting},
                {"Aprsis3_servername"_setting, "Aprsis3_port"_setting}});
  layout->addWidget(servers, 0, 0);
  QGroupBox* login = group("APRS-IS login:");
  QGridLayout* loginGrid = gridOn(login);
  builder.form(loginGrid, 0, {{"Aprsis_user"_setting}, {"Aprsis_pass"_setting}});
  loginGrid->setRowStretch(2, 1);
  layout->addWidget(login, 0, 1);

  QGridLayout* rest = innerGrid();
  builder.form(rest, 0, {{"Aprsis_timeout"_setting}, {"Aprsis_filter"_setting}});
  layout->addLayout(rest, 1, 0, 1, 2);
  layout->addWidget(
      note("Note that filter settings affect the amount and type of packets gated from "
           "APRS-IS to RF "
           "based on I-Gate Tab. Use with caution."),
      2, 0, 1, 2);
  layout->addWidget(
      note(QString("The filter settings are described at %1").arg(settings::kAprsIsFilterHelp)), 3,
      0, 1, 2);
  layout->setColumnStretch(0, 3);
  layout->setColumnStretch(1, 2);
  layout->setRowStretch(4, 1);
}

// I-Gate: RF to APRS-IS and the messages on the left; packets to RF and the
// common settings on the right.
void igatePage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kIgate, "I-Gate"));
  auto* left = new QVBoxLayout;
  QGroupBox* fromRf = group("RF packets to APRS-IS gateway:");
  QGridLayout* fromRfGrid = gridOn(fromRf);
  builder.form(fromRfGrid, 0, {{"Aprsis_fromrf"_setting}});
  fromRfGrid->setColumnStretch(2, 1);
  left->addWidget(fromRf);
  QGroupBox* messages = group("APRS-IS messages to local RF gateway:");
  builder.form(gridOn(messages), 0,
               {{"Aprsis_msg2rf"_setting},
                {"Aprsis_msg2rf_path"_setting, "Aprsis_msg2rf_ssid"_setting},
                {"Rfheard_local_maxhops"_setting},
                {"Rfheard_local_timeout"_setting}});
  left->addWidget(messages);
  left->addStretch();
  layout->addLayout(left, 0, 0);

  auto* right = new QVBoxLayout;
  QGroupBox* packets = group("APRS-IS packets to RF filter:");
  QPushButton* filterSetup = pageButton(names::kFilterSetupButton, "Filter setup");
  builder.form(gridOn(packets), 0,
               {{"Aprsis_packet2rf"_setting},
                {"Aprsis_packet2rf_ifheard"_setting},
                {"Aprsis_packet2rf_path"_setting, "Aprsis_packet2rf_ssid"_setting},
                {"Rfheard_timeout"_setting},
                {"Aprsis_packet2rf_1min"_setting, "Aprsis_packet2rf_2min"_setting,
                 "Aprsis_packet2rf_3min"_setting, filterSetup}});
  right->addWidget(packets);
  QGroupBox* common = group("Common I-Gate settings:");
  QGridLayout* commonGrid = gridOn(common);
  builder.form(commonGrid, 0, {{"Aprsis_heard_timeout"_setting}});
  builder.form(commonGrid, 2, {{"Aprsis_2rf_dest"_setting, "Aprsis_2rf_dest_ssid"_setting}});
  commonGrid->setColumnStretch(4, 1);
  right->addWidget(common);
  right->addStretch();
  layout->addLayout(right, 0, 1);
  layout->setColumnStretch(2, 1);
}

// Weather: the station type, then the weather report in one row under its
// column captions, as the beacon rows stand.
void weatherPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kWeather, "Weather"));
  builder.form(layout, 0, {{"Weather_stationtype"_setting}});
  QGridLayout* report = innerGrid();
  builder.table(report, {{RowText{"Weather report:"}, "Weather_dest_string"_setting,
                          "Weather_dest_ssid"_setting, "Weather_path_string"_setting,
                          "Weather_path_ssid"_setting, "Weather_txrate_rf"_setting,
                          "Weather_txrate_aprsis"_setting, "Weather_comment"_setting}});
  report->setColumnStretch(9, 1);
  layout->addLayout(report, 1, 0, 1, 3);
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(2, 1);
}

// RTC/NTP time: the clock to load into the device and the time server.
void clockPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kClock, "RTC/NTP time"));
  layout->addWidget(builder.control("Uploadpctime"_setting), 0, 0, 1, 2);
  builder.form(layout, 0,
               {{"Rtcyear"_setting},
                {"Rtcmonth"_setting},
                {"Rtcday"_setting},
                {"Rtchour"_setting},
                {"Rtcmin"_setting}},
               1);
  layout->addWidget(builder.control("Ntp_enable"_setting), 0, 2, 1, 2);
  builder.form(layout, 2, {{"Ntp_servername"_setting}}, 1);
  layout->addWidget(
      note(
          "Internal Real Time Clock is updated when the device exits config mode and enters normal "
          "mode. To get exact time please change to normal mode quickly after config write."),
      6, 0, 1, 4);
  layout->setColumnStretch(3, 1);
  layout->setRowStretch(7, 1);
}

void wwwPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kWebServer, "WWW"));
  builder.form(layout, 0, {{"www_user"_setting}, {"www_password"_setting}, {"www_port"_setting}});
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(3, 1);
}

// Telnet: the administration login and the debug switches of a new connection.
void telnetPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kTelnet, "Telnet"));
  QGridLayout* login = innerGrid();
  builder.form(login, 0,
               {{"telnet_user"_setting}, {"telnet_password"_setting}, {"telnet_port"_setting}});
  login->setRowStretch(3, 1);
  layout->addLayout(login, 0, 0);
  QGroupBox* debug = group("Telnet debug messages (default state after connect):");
  QGridLayout* debugGrid = gridOn(debug);
  builder.form(debugGrid, 0,
               {{"Debug_aprsis"_setting},
                {"Debug_aprsismsgs"_setting},
                {"Debug_telemetry"_setting},
                {"Debug_ntp"_setting},
                {"Debug_dns"_setting}});
  builder.form(debugGrid, 2,
               {{"Debug_rf"_setting},
                {"Debug_ax25"_setting},
                {"Debug_weather"_setting},
                {"Debug_wunderground"_setting},
                {"Debug_digi"_setting}});
  layout->addWidget(debug, 0, 1);
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(1, 1);
}

void wundergroundPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kWunderground, "WUnderground"));
  builder.form(layout, 0,
               {{"WU_enable"_setting},
                {"WU_stationid"_setting},
                {"WU_password"_setting},
                {"WU_normalserver"_setting},
                {"WU_rapidfireserver"_setting},
                {"WU_sendmethod"_setting},
                {"WU_normalrate"_setting},
                {"WU_rapidfirerate"_setting}});
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(8, 1);
}

}  // namespace

void buildSettingsPages(QTabWidget* settingsTabs, const SettingsBinder& controls) {
  PageBuilder builder(controls);
  radioPage(settingsTabs, builder);
  digipeaterPage(settingsTabs, builder);
  beaconsPage(settingsTabs, builder);
  networkPage(settingsTabs, builder);
  aprsIsPage(settingsTabs, builder);
  igatePage(settingsTabs, builder);
  weatherPage(settingsTabs, builder);
  clockPage(settingsTabs, builder);
  wwwPage(settingsTabs, builder);
  telnetPage(settingsTabs, builder);
  addTelemetryPage(settingsTabs, builder);
  wundergroundPage(settingsTabs, builder);
}

QWidget* buildFilterEntries(const SettingsBinder& controls) {
  PageBuilder builder(controls);
  auto* entries = new QWidget;
  QGridLayout* layout = gridOn(entries);
  layout->setContentsMargins(0, 0, 0, 0);
  std::vector<Row> rows;
  for (int k = 1; k <= 6; ++k) {
    Row row;
    for (int entry : {k, k + 6}) {
      row.insert(row.end(), {numberLabel(entry), "Packet2rf_filter_callsign##"_family.at(entry),
                             RowText{"-"}, "Packet2rf_filter_ssid##"_family.at(entry),
                             "Packet2rf_filter_type##"_family.at(entry)});
    }
    rows.push_back(row);
  }
  builder.table(layout, rows);
  layout->setColumnMinimumWidth(5, 36);  // room between the two columns of entries
  return entries;
}

}  // namespace zorbel::app
