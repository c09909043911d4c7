#include "settings_pages.h"

#include "aprs_object_names.h"
#include "object_names.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "control_factory.h"
#include "keyboard_access.h"
#include "latin1.h"
#include "settings/catalog.h"
#include "settings/host_names.h"
#include "settings_binder.h"

namespace zorbel::app {
namespace {

using Tokens = std::vector<std::string>;

// A token in a row is a setting's name, the name of a page button, or a literal label.
class PageBuilder {
 public:
  explicit PageBuilder(const SettingsBinder& controls) : controls_(controls) {}

  QPushButton* button(const std::string& name, const QString& caption) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromStdString(name));
    extras_[name] = b;
    return b;
  }

  // Rows of "Caption: [control] - [control]" in two grid columns starting at `column`.
  void form(QGridLayout* grid, int column, const std::vector<Tokens>& rows, int firstRow = 0) {
    int row = firstRow;
    for (const Tokens& tokens : rows) {
      QLabel* label = makeCaption(*setting(tokens.front()), widget(tokens.front()));
      captions_[tokens.front()] = label;
      grid->addWidget(label, row, column);
      auto* line = new QHBoxLayout;
      line->setSpacing(4);
      int part = 0;
      const std::string* previous = nullptr;
      const settings::Setting* head = setting(tokens.front());
      for (const std::string& t : tokens) {
        // The row's caption stands once, before its first box.
        const settings::Setting* cell = setting(t);
        addCell(line, t,
                &t == &tokens.front() || (cell != nullptr && cell->caption == head->caption));
        // A box without a caption of its own is named after the row's; one
        // after a dash is the SSID of the one before it.
        const settings::Setting* s = setting(t);
        if (s != nullptr) ++part;
        if (s != nullptr && &t != &tokens.front() &&
            (s->caption.empty() || s->caption == "-" || s->caption == head->caption)) {
          const QString row = spokenCaption(label->text());
          const bool ssid = s->caption == "-" || (previous != nullptr && *previous == "-");
          widget(t)->setAccessibleName(ssid ? row + " SSID"
                                            : QString("%1, part %2").arg(row).arg(part));
        }
        previous = &t;
      }
      line->addStretch();
      grid->addLayout(line, row++, column + 1);
    }
  }

  // A table whose column headers are the captions of its first row's controls.
  void table(QGridLayout* grid, const std::vector<Tokens>& rows, int firstRow = 0) {
    int column = 0;
    std::map<int, QString> headers;  // by column, as a screen reader says them
    for (const std::string& t : rows.front()) {
      const settings::Setting* s = setting(t);
      if (s != nullptr && s->caption == "-") {
        headers[column + 1] = headers[column - 1] + " SSID";
        ++column;  // the dash has a column of its own
      }
      if (s != nullptr && !s->caption.empty() && s->caption != "-") {
        grid->addWidget(new QLabel(fromBytes(s->caption)), firstRow, column, Qt::AlignBottom);
        headers[column] = spokenCaption(fromBytes(s->caption));
      }
      ++column;
    }
    int row = firstRow + 1;
    for (const Tokens& tokens : rows) {
      column = 0;
      QString rowName;  // the row's label: "Analog 1"
      for (const std::string& t : tokens) {
        const settings::Setting* s = setting(t);
        if (s != nullptr && s->caption == "-") grid->addWidget(new QLabel("-"), row, column++);
        QWidget* w = s != nullptr || extras_.count(t) != 0 ? widget(t)
                                                           : new QLabel(QString::fromStdString(t));
        if (s == nullptr && extras_.count(t) == 0 && t != "-")
          rowName = spokenCaption(QString::fromStdString(t));
        // In a table the header carries a check box's caption.
        if (auto* box = qobject_cast<QCheckBox*>(w)) box->setText(QString());
        if (s != nullptr) w->setAccessibleName((rowName + " " + headers[column]).trimmed());
        grid->addWidget(w, row, column++);
      }
      ++row;
    }
  }

  // The caption a form row made for a setting.
  QLabel* caption(const std::string& name) { return captions_.at(name); }

  QWidget* widget(const std::string& name) {
    auto extra = extras_.find(name);
    if (extra != extras_.end()) return extra->second;
    QWidget* w = controls_.widget(name);
    Q_ASSERT_X(w != nullptr, "PageBuilder", name.c_str());
    return w;
  }

 private:
  static const settings::Setting* setting(const std::string& name) {
    const auto i = settings::findSetting(name);
    return i ? &settings::allSettings()[*i] : nullptr;
  }

  void addCell(QHBoxLayout* line, const std::string& token, bool first) {
    const settings::Setting* s = setting(token);
    if (s == nullptr && extras_.count(token) == 0) {
      line->addWidget(new QLabel(QString::fromStdString(token)));
      return;
    }
    if (!first && s != nullptr && !s->caption.empty())
      line->addWidget(makeCaption(*s, widget(token)));
    line->addWidget(widget(token));
  }

  const SettingsBinder& controls_;
  std::map<std::string, QWidget*> extras_;
  std::map<std::string, QLabel*> captions_;
};

// The edit boxes of each column of a table as wide as the column's widest.
void alignColumns(QGridLayout* g, int firstColumn, int lastColumn) {
  for (int column = firstColumn; column <= lastColumn; ++column) {
    std::vector<QLineEdit*> boxes;
    int widest = 0;
    for (int row = 0; row < g->rowCount(); ++row) {
      QLayoutItem* item = g->itemAtPosition(row, column);
      if (auto* box = item != nullptr ? qobject_cast<QLineEdit*>(item->widget()) : nullptr) {
        boxes.push_back(box);
        widest = std::max(widest, box->minimumWidth());  // the width its longest text needs
      }
    }
    for (QLineEdit* box : boxes) box->setFixedWidth(widest);
  }
}

QGridLayout* grid(QWidget* parent) {
  auto* g = new QGridLayout(parent);
  g->setContentsMargins(6, 4, 6, 4);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(2);
  return g;
}

// A grid inside a page's own grid: no margins of its own.
QGridLayout* innerGrid() {
  auto* g = new QGridLayout;
  g->setContentsMargins(0, 0, 0, 0);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(2);
  return g;
}

QGroupBox* group(const QString& title) { return new QGroupBox(title); }

QLabel* note(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  return label;
}

QWidget* page(QTabWidget* tabs, const char* name, const QString& caption) {
  auto* p = new QWidget;
  p->setObjectName(name);
  tabs->addTab(p, caption);
  return p;
}

std::string n(const std::string& prefix, int k, const std::string& suffix) {
  return prefix + std::to_string(k) + suffix;
}

// Radio: station identity and position on the left, transmitter timing on the right.
void radioPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "radioPage", "Radio"));
  b.button(names::kSetPositionButton, QString::fromUtf8("Set position\u2026"));
  b.form(g, 0,
         {{"Callsign", "-", "Ssid"},
          {"Latitude", names::kSetPositionButton},
          {"Longitude"},
          {"Ptt"},
          {"Busydetect"}});
  b.form(g, 2, {{"Txdelay"}, {"Quiettime"}, {"Quiettime_randomize"}, {"Consecutive_packets"}});
  g->setColumnStretch(4, 1);
  g->setRowStretch(5, 1);
}

// Digipeater: common settings and the eight path rules (two columns of four)
// on the left, the callsign filter (two columns of five) on the right.
void digipeaterPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "digipeaterPage", "Digipeater"));

  QGroupBox* common = group("Common Digipeater settings:");
  QGridLayout* commonGrid = grid(common);
  b.form(commonGrid, 0, {{"Digion"}});
  b.form(commonGrid, 2, {{"Floodtimeout"}});
  commonGrid->setColumnStretch(4, 1);
  g->addWidget(common, 0, 0);

  QGroupBox* paths = group("New-N Paradigm PATH filter rules:");
  std::vector<Tokens> pathRows;
  for (int k = 1; k <= 4; ++k) {
    Tokens row;
    for (int rule : {k, k + 4}) {
      const std::string p = n("Pathn", rule, "");
      row.insert(row.end(), {std::to_string(rule) + ":", p + "_name", p + "_lower", p + "_higher",
                             p + "_traceable", p + "_active"});
    }
    pathRows.push_back(row);
  }
  b.table(grid(paths), pathRows);
  g->addWidget(paths, 1, 0);

  QGroupBox* calls = group("CALLSIGN filter rules:");
  QGridLayout* cg = grid(calls);
  b.form(cg, 0, {{"Callfilter_rule"}});
  QGridLayout* entries = innerGrid();
  std::vector<Tokens> callRows;
  for (int k = 1; k <= 5; ++k) {
    callRows.push_back({std::to_string(k) + ":", n("Callfilter_callsign", k, ""),
                        n("Callfilter_ssid", k, ""), std::to_string(k + 5) + ":",
                        n("Callfilter_callsign", k + 5, ""), n("Callfilter_ssid", k + 5, "")});
  }
  b.table(entries, callRows);
  entries->setColumnStretch(6, 1);
  cg->addLayout(entries, 1, 0, 1, 2);
  cg->addWidget(note("* wildcards are supported in callsign filter rules"), 2, 0, 1, 2);
  g->addWidget(calls, 0, 1, 2, 1);
  g->setRowStretch(2, 1);
  g->setColumnStretch(2, 1);
}

// Under each beacon's row (grid rows 1 to 8, moved to odd rows), a
// read-only line for the packet as it will go on air; the window fills it.
void addBeaconPreviews(QGridLayout* g) {
  for (int k = 8; k >= 1; --k) {
    for (int column = 0; column < g->columnCount(); ++column) {
      QLayoutItem* item = g->itemAtPosition(k, column);
      if (item == nullptr || item->widget() == nullptr) continue;
      QWidget* w = item->widget();
      g->removeWidget(w);
      g->addWidget(w, 2 * k - 1, column);
    }
    auto* preview = new QLabel;
    preview->setObjectName(names::beaconPreview(k));
    preview->setTextFormat(Qt::PlainText);
    preview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    preview->setAccessibleName(QString("Beacon %1 as sent").arg(k));
    // A long packet is cut at the window's edge rather than widen it; the
    // tooltip holds it whole.
    preview->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    g->addWidget(preview, 2 * k, 1, 1, g->columnCount() - 1);
  }
}

// Beacons: one row per beacon; the special strings help sits at the header's end.
void beaconsPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "beaconsPage", "Beacons"));
  std::vector<Tokens> rows;
  for (int k = 1; k <= 8; ++k) {
    const std::string p = n("Beacon", k, "");
    rows.push_back({std::to_string(k) + ":", p + "_dest_string", p + "_dest_ssid",
                    p + "_path_string", p + "_path_ssid", p + "_txrate_rf", p + "_txrate_aprsis",
                    p + "_msg"});
  }
  b.table(g, rows);
  addBeaconPreviews(g);
  // The message column's header and the button share the header row.
  QLayoutItem* header = g->itemAtPosition(0, 9);
  auto* line = new QHBoxLayout;
  if (header != nullptr && header->widget() != nullptr) {
    QWidget* caption = header->widget();
    g->removeWidget(caption);
    line->addWidget(caption);
  }
  line->addStretch();
  line->addWidget(b.button(names::kSpecialStringsButton, "Special strings"));
  g->addLayout(line, 0, 9);
  g->setColumnStretch(9, 1);
  g->setRowStretch(17, 1);
}

// Network: the four addresses, one edit box per part.
void networkPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "networkPage", "Network"));
  std::vector<Tokens> rows;
  for (const char* a : {"Ipaddr", "Ipmask", "Ipgate", "Ipdns"}) {
    rows.push_back({n(a, 0, ""), ".", n(a, 1, ""), ".", n(a, 2, ""), ".", n(a, 3, "")});
  }
  b.form(g, 0, rows);
  g->setColumnStretch(2, 1);
  g->setRowStretch(4, 1);
}

// APRS-IS: servers and login side by side, then the timeout and the filter.
void aprsIsPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "aprsIsPage", "APRS-IS"));
  QGroupBox* servers = group("APRS-IS servers:");
  b.form(grid(servers), 0,
         {{"Aprsis1_servername", "Aprsis1_port"},
          {"Aprsis2_servername", "Aprsis2_port"},
          {"Aprsis3_servername", "Aprsis3_port"}});
  g->addWidget(servers, 0, 0);
  QGroupBox* login = group("APRS-IS login:");
  QGridLayout* lg = grid(login);
  b.form(lg, 0, {{"Aprsis_user"}, {"Aprsis_pass"}});
  lg->setRowStretch(2, 1);
  g->addWidget(login, 0, 1);

  QGridLayout* rest = innerGrid();
  b.form(rest, 0, {{"Aprsis_timeout"}, {"Aprsis_filter"}});
  g->addLayout(rest, 1, 0, 1, 2);
  g->addWidget(note("Note that filter settings affect the amount and type of packets gated from "
                    "APRS-IS to RF "
                    "based on I-Gate Tab. Use with caution."),
               2, 0, 1, 2);
  g->addWidget(
      note(QString("The filter settings are described at %1").arg(settings::kAprsIsFilterHelp)), 3,
      0, 1, 2);
  g->setColumnStretch(0, 3);
  g->setColumnStretch(1, 2);
  g->setRowStretch(4, 1);
}

// I-Gate: RF to APRS-IS and the messages on the left; packets to RF and the
// common settings on the right.
void igatePage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "igatePage", "I-Gate"));
  auto* left = new QVBoxLayout;
  QGroupBox* fromRf = group("RF packets to APRS-IS gateway:");
  QGridLayout* fg = grid(fromRf);
  b.form(fg, 0, {{"Aprsis_fromrf"}});
  fg->setColumnStretch(2, 1);
  left->addWidget(fromRf);
  QGroupBox* messages = group("APRS-IS messages to local RF gateway:");
  b.form(grid(messages), 0,
         {{"Aprsis_msg2rf"},
          {"Aprsis_msg2rf_path", "Aprsis_msg2rf_ssid"},
          {"Rfheard_local_maxhops"},
          {"Rfheard_local_timeout"}});
  left->addWidget(messages);
  left->addStretch();
  g->addLayout(left, 0, 0);

  auto* right = new QVBoxLayout;
  QGroupBox* packets = group("APRS-IS packets to RF filter:");
  b.button(names::kFilterSetupButton, "Filter setup");
  b.form(grid(packets), 0,
         {{"Aprsis_packet2rf"},
          {"Aprsis_packet2rf_ifheard"},
          {"Aprsis_packet2rf_path", "Aprsis_packet2rf_ssid"},
          {"Rfheard_timeout"},
          {"Aprsis_packet2rf_1min", "Aprsis_packet2rf_2min", "Aprsis_packet2rf_3min",
           names::kFilterSetupButton}});
  right->addWidget(packets);
  QGroupBox* common = group("Common I-Gate settings:");
  QGridLayout* cg = grid(common);
  b.form(cg, 0, {{"Aprsis_heard_timeout"}});
  b.form(cg, 2, {{"Aprsis_2rf_dest", "Aprsis_2rf_dest_ssid"}});
  cg->setColumnStretch(4, 1);
  right->addWidget(common);
  right->addStretch();
  g->addLayout(right, 0, 1);
  g->setColumnStretch(2, 1);
}

// Weather: the station type, then the weather report in one row under its
// column captions, as the beacon rows stand.
void weatherPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "weatherPage", "Weather"));
  b.form(g, 0, {{"Weather_stationtype"}});
  QGridLayout* report = innerGrid();
  b.table(report,
          {{"Weather report:", "Weather_dest_string", "Weather_dest_ssid", "Weather_path_string",
            "Weather_path_ssid", "Weather_txrate_rf", "Weather_txrate_aprsis", "Weather_comment"}});
  report->setColumnStretch(9, 1);
  g->addLayout(report, 1, 0, 1, 3);
  g->setColumnStretch(2, 1);
  g->setRowStretch(2, 1);
}

// RTC/NTP time: the clock to load into the device and the time server.
void clockPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "clockPage", "RTC/NTP time"));
  g->addWidget(b.widget("Uploadpctime"), 0, 0, 1, 2);
  b.form(g, 0, {{"Rtcyear"}, {"Rtcmonth"}, {"Rtcday"}, {"Rtchour"}, {"Rtcmin"}}, 1);
  g->addWidget(b.widget("Ntp_enable"), 0, 2, 1, 2);
  b.form(g, 2, {{"Ntp_servername"}}, 1);
  g->addWidget(
      note(
          "Internal Real Time Clock is updated when the device exits config mode and enters normal "
          "mode. To get exact time please change to normal mode quickly after config write."),
      6, 0, 1, 4);
  g->setColumnStretch(3, 1);
  g->setRowStretch(7, 1);
}

void wwwPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "webServerPage", "WWW"));
  b.form(g, 0, {{"www_user"}, {"www_password"}, {"www_port"}});
  g->setColumnStretch(2, 1);
  g->setRowStretch(3, 1);
}

// Telnet: the administration login and the debug switches of a new connection.
void telnetPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "telnetPage", "Telnet"));
  QGridLayout* login = innerGrid();
  b.form(login, 0, {{"telnet_user"}, {"telnet_password"}, {"telnet_port"}});
  login->setRowStretch(3, 1);
  g->addLayout(login, 0, 0);
  QGroupBox* debug = group("Telnet debug messages (default state after connect):");
  QGridLayout* dg = grid(debug);
  b.form(
      dg, 0,
      {{"Debug_aprsis"}, {"Debug_aprsismsgs"}, {"Debug_telemetry"}, {"Debug_ntp"}, {"Debug_dns"}});
  b.form(dg, 2,
         {{"Debug_rf"}, {"Debug_ax25"}, {"Debug_weather"}, {"Debug_wunderground"}, {"Debug_digi"}});
  g->addWidget(debug, 0, 1);
  g->setColumnStretch(2, 1);
  g->setRowStretch(1, 1);
}

void reportPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "telemetryReportPage", "Report settings"));
  b.form(g, 0, {{"Teletitle"}, {"Tele_enable"}, {"Tele_holdoff"}});
  b.form(g, 2, {{"Telemodule_enable"}, {"Bitsmodule_enable"}});
  // The module selectors and their labels are hidden at start-up; the window finds the labels by
  // name.
  b.caption("Telemodule_enable")->setObjectName("telemoduleCaption");
  b.caption("Bitsmodule_enable")->setObjectName("bitsmoduleCaption");
  QGridLayout* reports = innerGrid();
  reports->setHorizontalSpacing(4);
  b.table(reports,
          {{"Telemetry parameters:", "Teleparams_dest_string", "Teleparams_dest_ssid",
            "Teleparams_path_string", "Teleparams_path_ssid", "Teleparams_txrate_rf",
            "Teleparams_txrate_aprsis"},
           {"Telemetry data:", "Teledata_dest_string", "Teledata_dest_ssid", "Teledata_path_string",
            "Teledata_path_ssid", "Teledata_txrate_rf", "Teledata_txrate_aprsis"}});
  reports->setColumnStretch(9, 1);
  g->addLayout(reports, 3, 0, 1, 4);
  g->addWidget(note("Telemetry reports, the telemetry messages and their limits are described in "
                    "chapter 13 of "
                    "the APRS Protocol Reference 1.0.1."),
               4, 0, 1, 4);
  g->setColumnStretch(3, 1);
  g->setRowStretch(5, 1);
}

void analogPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "analogChannelsPage", "Analog channels"));
  g->setHorizontalSpacing(4);
  std::vector<Tokens> rows;
  for (int k = 1; k <= 5; ++k) {
    const std::string a = n("Teleanalog", k, "");
    const std::string button = names::analogDefaultsButton(k).toStdString();
    b.button(button, "Default parameters");
    rows.push_back({"Analog " + std::to_string(k) + ":", a + "_name", a + "_units", a + "_source",
                    a + "_coefa", a + "_coefb", a + "_coefc", a + "_average", button});
  }
  b.table(g, rows);
  alignColumns(g, 1, 2);
  if (auto* header = qobject_cast<QLabel*>(g->itemAtPosition(0, 7)->widget()))
    header->setWordWrap(true);
  g->setColumnStretch(9, 1);
  g->setRowStretch(6, 1);
}

void digitalPage(QTabWidget* tabs, PageBuilder& b, const char* name, const QString& caption,
                 int first) {
  QGridLayout* g = grid(page(tabs, name, caption));
  std::vector<Tokens> rows;
  for (int k = first; k < first + 4; ++k) {
    const std::string d = n("Teledigital", k, "");
    const std::string button = names::digitalDefaultsButton(k).toStdString();
    b.button(button, "Default parameters");
    rows.push_back({"Digital " + std::to_string(k) + ":", d + "_name", d + "_units", d + "_source",
                    d + "_inverted", button});
  }
  b.table(g, rows);
  alignColumns(g, 1, 2);
  g->setColumnStretch(6, 1);
  g->setRowStretch(5, 1);
}

void quodraPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "quodraOutputsPage", "Quodra outputs"));
  b.form(g, 0, {{"Quodra_output1"}, {"Quodra_output2"}, {"Quodra_output3"}, {"Quodra_output4"}});
  g->setColumnStretch(2, 1);
  g->setRowStretch(4, 1);
}

void telemetryPage(QTabWidget* tabs, PageBuilder& b) {
  QWidget* sheet = page(tabs, "telemetryPage", "Telemetry reports");
  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* telemetryTabs = new QTabWidget;
  telemetryTabs->setObjectName("telemetryTabs");
  telemetryTabs->setAccessibleName("Telemetry reports");
  telemetryTabs->setUsesScrollButtons(false);
  layout->addWidget(telemetryTabs);
  reportPage(telemetryTabs, b);
  analogPage(telemetryTabs, b);
  digitalPage(telemetryTabs, b, "digitalChannels1to4Page", "Digital channels 1-4", 1);
  digitalPage(telemetryTabs, b, "digitalChannels5to8Page", "Digital channels 5-8", 5);
  quodraPage(telemetryTabs, b);
}

void wundergroundPage(QTabWidget* tabs, PageBuilder& b) {
  QGridLayout* g = grid(page(tabs, "wundergroundPage", "WUnderground"));
  b.form(g, 0,
         {{"WU_enable"},
          {"WU_stationid"},
          {"WU_password"},
          {"WU_normalserver"},
          {"WU_rapidfireserver"},
          {"WU_sendmethod"},
          {"WU_normalrate"},
          {"WU_rapidfirerate"}});
  g->setColumnStretch(2, 1);
  g->setRowStretch(8, 1);
}

}  // namespace

void buildSettingsPages(QTabWidget* settingsTabs, const SettingsBinder& controls) {
  PageBuilder b(controls);
  radioPage(settingsTabs, b);
  digipeaterPage(settingsTabs, b);
  beaconsPage(settingsTabs, b);
  networkPage(settingsTabs, b);
  aprsIsPage(settingsTabs, b);
  igatePage(settingsTabs, b);
  weatherPage(settingsTabs, b);
  clockPage(settingsTabs, b);
  wwwPage(settingsTabs, b);
  telnetPage(settingsTabs, b);
  telemetryPage(settingsTabs, b);
  wundergroundPage(settingsTabs, b);
}

QWidget* buildFilterEntries(const SettingsBinder& controls) {
  PageBuilder b(controls);
  auto* entries = new QWidget;
  QGridLayout* g = grid(entries);
  g->setContentsMargins(0, 0, 0, 0);
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
  b.table(g, rows);
  g->setColumnMinimumWidth(5, 36);  // room between the two columns of entries
  return entries;
}

}  // namespace zorbel::app
