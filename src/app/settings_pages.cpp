#include "settings_pages.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <string>
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

// A member of a family of settings: "Beacon" and 3 give "Beacon3".
std::string numbered(const std::string& stem, int number) { return stem + std::to_string(number); }

// Radio: station identity and position on the left, transmitter timing on the right.
void radioPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kRadio, "Radio"));
  builder.button(names::kSetPositionButton, QString::fromUtf8("Set position\u2026"));
  builder.form(layout, 0,
               {{"Callsign", "-", "Ssid"},
                {"Latitude", names::kSetPositionButton},
                {"Longitude"},
                {"Ptt"},
                {"Busydetect"}});
  builder.form(layout, 2,
               {{"Txdelay"}, {"Quiettime"}, {"Quiettime_randomize"}, {"Consecutive_packets"}});
  layout->setColumnStretch(4, 1);
  layout->setRowStretch(5, 1);
}

// Digipeater: common settings and the eight path rules (two columns of four)
// on the left, the callsign filter (two columns of five) on the right.
void digipeaterPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kDigipeater, "Digipeater"));

  QGroupBox* common = group("Common Digipeater settings:");
  QGridLayout* commonGrid = gridOn(common);
  builder.form(commonGrid, 0, {{"Digion"}});
  builder.form(commonGrid, 2, {{"Floodtimeout"}});
  commonGrid->setColumnStretch(4, 1);
  layout->addWidget(common, 0, 0);

  QGroupBox* paths = group("New-N Paradigm PATH filter rules:");
  std::vector<Tokens> pathRows;
  for (int k = 1; k <= 4; ++k) {
    Tokens row;
    for (int rule : {k, k + 4}) {
      const std::string p = numbered("Pathn", rule);
      row.insert(row.end(), {std::to_string(rule) + ":", p + "_name", p + "_lower", p + "_higher",
                             p + "_traceable", p + "_active"});
    }
    pathRows.push_back(row);
  }
  builder.table(gridOn(paths), pathRows);
  layout->addWidget(paths, 1, 0);

  QGroupBox* calls = group("CALLSIGN filter rules:");
  QGridLayout* callsGrid = gridOn(calls);
  builder.form(callsGrid, 0, {{"Callfilter_rule"}});
  QGridLayout* entries = innerGrid();
  std::vector<Tokens> callRows;
  for (int k = 1; k <= 5; ++k) {
    callRows.push_back({std::to_string(k) + ":", numbered("Callfilter_callsign", k),
                        numbered("Callfilter_ssid", k), std::to_string(k + 5) + ":",
                        numbered("Callfilter_callsign", k + 5),
                        numbered("Callfilter_ssid", k + 5)});
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
  std::vector<Tokens> rows;
  for (int k = 1; k <= 8; ++k) {
    const std::string p = numbered("Beacon", k);
    rows.push_back({std::to_string(k) + ":", p + "_dest_string", p + "_dest_ssid",
                    p + "_path_string", p + "_path_ssid", p + "_txrate_rf", p + "_txrate_aprsis",
                    p + "_msg"});
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
  line->addWidget(builder.button(names::kSpecialStringsButton, "Special strings"));
  layout->addLayout(line, 0, 9);
  layout->setColumnStretch(9, 1);
  layout->setRowStretch(17, 1);
}

// Network: the four addresses, one edit box per part.
void networkPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kNetwork, "Network"));
  std::vector<Tokens> rows;
  for (const char* a : {"Ipaddr", "Ipmask", "Ipgate", "Ipdns"}) {
    rows.push_back({numbered(a, 0), ".", numbered(a, 1), ".", numbered(a, 2), ".", numbered(a, 3)});
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
               {{"Aprsis1_servername", "Aprsis1_port"},
                {"Aprsis2_servername", "Aprsis2_port"},
                {"Aprsis3_servername", "Aprsis3_port"}});
  layout->addWidget(servers, 0, 0);
  QGroupBox* login = group("APRS-IS login:");
  QGridLayout* loginGrid = gridOn(login);
  builder.form(loginGrid, 0, {{"Aprsis_user"}, {"Aprsis_pass"}});
  loginGrid->setRowStretch(2, 1);
  layout->addWidget(login, 0, 1);

  QGridLayout* rest = innerGrid();
  builder.form(rest, 0, {{"Aprsis_timeout"}, {"Aprsis_filter"}});
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
  builder.form(fromRfGrid, 0, {{"Aprsis_fromrf"}});
  fromRfGrid->setColumnStretch(2, 1);
  left->addWidget(fromRf);
  QGroupBox* messages = group("APRS-IS messages to local RF gateway:");
  builder.form(gridOn(messages), 0,
               {{"Aprsis_msg2rf"},
                {"Aprsis_msg2rf_path", "Aprsis_msg2rf_ssid"},
                {"Rfheard_local_maxhops"},
                {"Rfheard_local_timeout"}});
  left->addWidget(messages);
  left->addStretch();
  layout->addLayout(left, 0, 0);

  auto* right = new QVBoxLayout;
  QGroupBox* packets = group("APRS-IS packets to RF filter:");
  builder.button(names::kFilterSetupButton, "Filter setup");
  builder.form(gridOn(packets), 0,
               {{"Aprsis_packet2rf"},
                {"Aprsis_packet2rf_ifheard"},
                {"Aprsis_packet2rf_path", "Aprsis_packet2rf_ssid"},
                {"Rfheard_timeout"},
                {"Aprsis_packet2rf_1min", "Aprsis_packet2rf_2min", "Aprsis_packet2rf_3min",
                 names::kFilterSetupButton}});
  right->addWidget(packets);
  QGroupBox* common = group("Common I-Gate settings:");
  QGridLayout* commonGrid = gridOn(common);
  builder.form(commonGrid, 0, {{"Aprsis_heard_timeout"}});
  builder.form(commonGrid, 2, {{"Aprsis_2rf_dest", "Aprsis_2rf_dest_ssid"}});
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
  builder.form(layout, 0, {{"Weather_stationtype"}});
  QGridLayout* report = innerGrid();
  builder.table(report, {{"Weather report:", "Weather_dest_string", "Weather_dest_ssid",
                          "Weather_path_string", "Weather_path_ssid", "Weather_txrate_rf",
                          "Weather_txrate_aprsis", "Weather_comment"}});
  report->setColumnStretch(9, 1);
  layout->addLayout(report, 1, 0, 1, 3);
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(2, 1);
}

// RTC/NTP time: the clock to load into the device and the time server.
void clockPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kClock, "RTC/NTP time"));
  layout->addWidget(builder.widget("Uploadpctime"), 0, 0, 1, 2);
  builder.form(layout, 0, {{"Rtcyear"}, {"Rtcmonth"}, {"Rtcday"}, {"Rtchour"}, {"Rtcmin"}}, 1);
  layout->addWidget(builder.widget("Ntp_enable"), 0, 2, 1, 2);
  builder.form(layout, 2, {{"Ntp_servername"}}, 1);
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
  builder.form(layout, 0, {{"www_user"}, {"www_password"}, {"www_port"}});
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(3, 1);
}

// Telnet: the administration login and the debug switches of a new connection.
void telnetPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kTelnet, "Telnet"));
  QGridLayout* login = innerGrid();
  builder.form(login, 0, {{"telnet_user"}, {"telnet_password"}, {"telnet_port"}});
  login->setRowStretch(3, 1);
  layout->addLayout(login, 0, 0);
  QGroupBox* debug = group("Telnet debug messages (default state after connect):");
  QGridLayout* debugGrid = gridOn(debug);
  builder.form(
      debugGrid, 0,
      {{"Debug_aprsis"}, {"Debug_aprsismsgs"}, {"Debug_telemetry"}, {"Debug_ntp"}, {"Debug_dns"}});
  builder.form(
      debugGrid, 2,
      {{"Debug_rf"}, {"Debug_ax25"}, {"Debug_weather"}, {"Debug_wunderground"}, {"Debug_digi"}});
  layout->addWidget(debug, 0, 1);
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(1, 1);
}

void wundergroundPage(QTabWidget* tabs, PageBuilder& builder) {
  QGridLayout* layout = gridOn(addPage(tabs, settings::pages::kWunderground, "WUnderground"));
  builder.form(layout, 0,
               {{"WU_enable"},
                {"WU_stationid"},
                {"WU_password"},
                {"WU_normalserver"},
                {"WU_rapidfireserver"},
                {"WU_sendmethod"},
                {"WU_normalrate"},
                {"WU_rapidfirerate"}});
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
  std::vector<Tokens> rows;
  auto id = [](int k) { return std::string(k < 10 ? "0" : "") + std::to_string(k); };
  for (int k = 1; k <= 6; ++k) {
    Tokens row;
    for (int e : {k, k + 6}) {
      row.insert(row.end(), {std::to_string(e) + ":", "Packet2rf_filter_callsign" + id(e), "-",
                             "Packet2rf_filter_ssid" + id(e), "Packet2rf_filter_type" + id(e)});
    }
    rows.push_back(row);
  }
  builder.table(layout, rows);
  layout->setColumnMinimumWidth(5, 36);  // room between the two columns of entries
  return entries;
}

}  // namespace zorbel::app
