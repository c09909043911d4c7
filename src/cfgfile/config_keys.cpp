// The configuration file's keys, section by section, in file order. Where a
// key's spelling differs from its control's name, the key is what older files
// hold and must stay as it is. Load defaults differ from the start-up defaults
// in places; they are what older versions of the program load, kept as they are.
#include "config_keys.h"

#include <vector>

#include "settings/host_names.h"
#include "settings/image.h"

namespace zorbel::cfgfile {
namespace {

using std::to_string;

class Table {
 public:
  std::vector<ConfigKey> keys;

  void section(std::string name) { section_ = std::move(name); }

  // Key and control named alike.
  void text(const std::string& key, std::optional<std::string> loadDefault) { text(key, key, std::move(loadDefault)); }
  void integer(const std::string& key, int loadDefault) { integer(key, key, loadDefault); }
  void item(const std::string& key, std::optional<int> loadDefault) { item(key, key, loadDefault); }
  void flag(const std::string& key, int loadDefault) { flag(key, key, loadDefault); }

  void text(const std::string& key, const std::string& control, std::optional<std::string> loadDefault) {
    add(key, control, ValueForm::Text, std::move(loadDefault));
  }
  void integer(const std::string& key, const std::string& control, int loadDefault) {
    add(key, control, ValueForm::Integer, to_string(loadDefault));
  }
  void item(const std::string& key, const std::string& control, std::optional<int> loadDefault) {
    add(key, control, ValueForm::ItemIndex, loadDefault ? std::optional(to_string(*loadDefault)) : std::nullopt);
  }
  void flag(const std::string& key, const std::string& control, int loadDefault) {
    add(key, control, ValueForm::Flag, to_string(loadDefault));
  }
  void fixed(const std::string& key, std::string value) { add(key, "", ValueForm::Fixed, std::move(value)); }

 private:
  void add(const std::string& key, const std::string& control, ValueForm form, std::optional<std::string> def) {
    keys.push_back(ConfigKey{section_, key, control, form, std::move(def)});
  }
  std::string section_;
};

constexpr std::nullopt_t kRestoredWhenPresent = std::nullopt;

std::vector<ConfigKey> buildKeys() {
  Table t;

  t.section(std::string(kHeaderSection));
  t.fixed("WARNING", "Please do not try to modify this file. It should be managed with Zorbel configurator program.");
  t.fixed("Application", "ZORBEL Configurator");
  t.fixed(std::string(kVersionKey), std::string(settings::kConfigVersion));

  t.section("Radio");
  t.text("Callsign", "NOCALL");
  t.text("SSID", "Ssid", "0");
  t.integer("TXdelay", "Txdelay", 250);
  t.integer("Quiettime", 400);
  t.item("Quiettime_randomize", 3);
  t.item("PTT", "Ptt", 0);
  t.item("Busydetect", 0);
  t.item("Consecutive_packets", 0);
  t.text("Latitude", "5221.60N");
  t.text("Longitude", "01653.63E");

  t.section("Digipeater");
  t.item("Digion", 1);
  t.integer("Floodtimeout", 60);
  for (int n = 1; n <= 8; ++n) {
    const std::string p = "Pathn" + to_string(n);
    t.text(p + "_name", n == 1 ? "WIDE" : n == 2 ? "SP" : "");
    t.text(p + "_lower", "1");
    t.text(p + "_higher", "7");
    t.item(p + "_traceable", n == 1 ? 1 : 0);
    t.flag(p + "_active", n <= 2 ? 1 : 0);
  }
  t.item("Callfilter_rule", 0);
  for (int n = 1; n <= 10; ++n) {
    t.text("Callfilter_callsign" + to_string(n), "");
    t.text("Callfilter_ssid" + to_string(n), "*");
  }

  t.section("Beacons");
  for (int n = 1; n <= 8; ++n) {
    const std::string b = "Beacon" + to_string(n);
    t.text(b + "_dest_string", "APZR01");
    t.text(b + "_dest_ssid", "0");
    t.text(b + "_path_string", "WIDE2");
    t.text(b + "_path_ssid", "2");
    t.integer(b + "_txrate_rf", 5);
    t.integer(b + "_txrate_aprsis", 5);
    t.text(b + "_msg", n == 1 ? "@<date>z<lat>/<long>-ZORBEL Test." : "");
  }

  t.section("Network");
  const char* prefixes[] = {"Ipaddr", "Ipmask", "Ipgate", "Ipdns"};
  const int octets[4][4] = {{192, 168, 2, 1}, {255, 255, 255, 0}, {192, 168, 2, 1}, {192, 168, 2, 1}};
  for (int a = 0; a < 4; ++a) {
    for (int o = 0; o < 4; ++o) t.integer(prefixes[a] + to_string(o), octets[a][o]);
  }

  t.section("APRS-IS");
  t.text("Aprsis1_servername", settings::kAprsIsServer);
  t.integer("Aprsis1_port", 14580);
  t.text("Aprsis2_servername", "");
  t.integer("Aprsis2_port", 14580);
  t.text("Aprsis3_servername", "");
  t.integer("Aprsis3_port", 14580);
  t.text("Aprsis_user", "nocall");
  t.text("Aprsis_pass", "63107");
  t.integer("Aprsis_timeout", 1);
  t.text("Aprsis_filter", "m/40");

  t.section("I-Gate");
  t.integer("Aprsis_heardtimeout", "Aprsis_heard_timeout", 30);
  t.text("Aprsis_2rf_dest", "APZR01");
  t.text("Aprsis_2rf_dest_ssid", "0");
  t.item("Aprsis_fromrf", 1);
  t.item("Aprsis_msg2rf", 1);
  t.text("Aprsis_msg2rf_path", "WIDE2");
  t.text("Aprsis_msg2rf_ssid", "1");
  t.integer("Rfheard_local_maxhops", 2);
  t.integer("Rfheard_local_timeout", 30);
  t.item("Aprsis_packet2rf", 0);
  t.text("Aprsis_packet2rf_path", "WIDE2");
  t.text("Aprsis_packet2rf_ssid", "1");
  t.item("Aprsis_packet2rf_ifheard", 0);
  t.integer("Rfheard_timeout", 30);
  t.integer("Aprsis_packet2rf_1min", 6);
  t.integer("Aprsis_packet2rf_2min", 9);
  t.integer("Aprsis_packet2rf_3min", 12);
  for (int n = 1; n <= 12; ++n) {  // the filter window's entries
    const std::string id = (n < 10 ? "0" : "") + to_string(n);
    t.text("Packet2rf_filter_callsign" + id, "");
    t.text("Packet2rf_filter_ssid" + id, "*");
    t.item("Packet2rf_filter_type" + id, 0);
  }

  t.section("Weather");
  t.item("Weather_stationtype", 5);
  t.text("Weather_dest_string", "APZR01");
  t.text("Weather_dest_ssid", "0");
  t.text("Weather_path_string", "WIDE2");
  t.text("Weather_path_ssid", "2");
  t.integer("Weather_txrate_rf", 5);
  t.integer("Weather_txrate_aprsis", 5);
  t.text("Weather_comment", "");

  t.section("RTC");
  t.flag("Uploadpctime", 1);
  t.flag("Ntp_enable", 1);
  t.text("Ntp_servername", settings::kNtpServer);

  t.section("Telnet");
  t.text("Telnet_user", "telnet_user", "admin");
  t.text("Telnet_pass", "telnet_password", "ovlek");
  t.integer("Telnet_port", "telnet_port", 23);

  t.section("Debug");
  t.item("Debug_aprsis", 0);
  t.item("Debug_aprsismsgs", 0);
  t.item("Debug_telemetry", 0);
  t.item("Debug_ntp", 1);
  t.item("Debug_dns", 1);
  t.item("Debug_rf", 1);
  t.item("Debug_ax25", 1);
  t.item("Debug_weather", 0);
  t.item("Debug_wunderground", 1);
  t.item("Debug_digi", 1);

  t.section("Telemetry");
  t.text("Tele_title", "Teletitle", "Telemetry test");
  t.item("Tele_enable", 0);
  t.item("Telemodule_enable", 0);
  t.item("Bitsmodule_enable", 0);
  t.integer("Tele_holdoff", 0);
  // Sources 7 to 9 lie past the source list: loading them leaves no source selected.
  const char* analogName[] = {"I1", "I2", "U1", "U2", "Temp"};
  const char* analogUnits[] = {"mA", "mA", "Volt", "Volt", "C"};
  const int analogSource[] = {1, 4, 7, 8, 9};
  const char* analogCoefB[] = {"19.5", "19.5", "0.1", "0.1", "0.5"};
  const char* analogCoefC[] = {"0", "0", "0", "0", "-64"};
  for (int n = 1; n <= 5; ++n) {
    const std::string a = "Teleanalog" + to_string(n);
    t.text(a + "_name", analogName[n - 1]);
    t.text(a + "_units", analogUnits[n - 1]);
    t.item(a + "_source", analogSource[n - 1]);
    t.text(a + "_coefa", "0");
    t.text(a + "_coefb", analogCoefB[n - 1]);
    t.text(a + "_coefc", analogCoefC[n - 1]);
    t.item(a + "_average", 0);
  }
  for (int n = 1; n <= 8; ++n) {
    const std::string d = "Teledigital" + to_string(n);
    t.text(d + "_name", kRestoredWhenPresent);
    t.text(d + "_label", d + "_units", kRestoredWhenPresent);
    t.item(d + "_source", kRestoredWhenPresent);
    t.item(d + "_inverted", kRestoredWhenPresent);
  }
  for (const std::string r : {"Teleparams", "Teledata"}) {
    t.text(r + "_dest_string", "APZR01");
    t.text(r + "_dest_ssid", "0");
    t.text(r + "_path_string", "WIDE2");
    t.text(r + "_path_ssid", "2");
    t.integer(r + "_txrate_rf", 5);
    t.integer(r + "_txrate_aprsis", 5);
  }
  for (int n = 1; n <= 4; ++n) t.item("Quodra_output" + to_string(n), kRestoredWhenPresent);

  t.section("WeatherUnderground");
  t.item("Enable", "WU_enable", 0);
  t.text("StationID", "WU_stationid", "");
  t.text("Password", "WU_password", "");
  t.text("Normalserver", "WU_normalserver", settings::kWuNormalServer);
  t.text("Rapidfireserver", "WU_rapidfireserver", settings::kWuRapidFireServer);
  t.item("Sendmethod", "WU_sendmethod", 0);
  t.integer("Normal_rate", "WU_normalrate", 1);
  t.integer("Rapidfire_rate", "WU_rapidfirerate", 5);

  return std::move(t.keys);
}

}  // namespace

std::span<const ConfigKey> configKeys() {
  static const std::vector<ConfigKey> keys = buildKeys();
  return keys;
}

}  // namespace zorbel::cfgfile
