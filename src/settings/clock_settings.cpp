// "RTC/NTP time", "WWW" and "Telnet" tabs: clock, NTP, administration logins, debug switches.
#include "catalog.h"
#include "declare.h"
#include "host_names.h"
#include "page_names.h"

namespace zorbel::settings {

void addClockSettings(std::vector<Setting>& out) {
  using E = Encoding;
  const std::string rtc = pages::kClock;

  // The clock goes to the device only: a configuration read leaves these edits alone.
  // Their start-up texts come from the PC clock; these are only placeholders.
  out << Declare::edit(rtc, "Rtcyear", 4, "2011")
             .caption("Year:")
             .at(550, E::WordNumber)
             .notDecoded();
  out << Declare::edit(rtc, "Rtcmonth", 2, "2")
             .caption("Month:")
             .at(552, E::ByteNumber)
             .notDecoded();
  out << Declare::edit(rtc, "Rtcday", 2, "17").caption("Day:").at(553, E::ByteNumber).notDecoded();
  out << Declare::edit(rtc, "Rtchour", 2, "22")
             .caption("Hour:")
             .at(554, E::ByteNumber)
             .notDecoded();
  out << Declare::edit(rtc, "Rtcmin", 2, "00")
             .caption("Minute:")
             .at(555, E::ByteNumber)
             .notDecoded();
  out << Declare::check(rtc, "Uploadpctime", true)
             .caption("Upload PC system time on config write")
             .hint("If selected, the application will send current PC time on config save.")
             .notStored()
             .notDecoded()
             .file("RTC", "Uploadpctime", 1);
  out << Declare::check(rtc, "Ntp_enable", true)
             .caption("Use NTP server")
             .hint(
                 "If selected, the device will synchronize time with network time protocol server.")
             .at(500, E::FlagByte)
             .file("RTC", "Ntp_enable", 1);
  out << Declare::edit(rtc, "Ntp_servername", 31, kNtpServer)
             .caption("NTP server:")
             .hint("Network time protocol server IP for time synchronization.")
             .at(501, 32, E::Text)
             .file("RTC", "Ntp_servername", kNtpServer);

  const std::string www = pages::kWebServer;
  out << Declare::edit(www, "www_user", 12, "admin")
             .caption("WWW user:")
             .hint("Web administration user name.")
             .at(1379, 13, E::Text);
  out << Declare::edit(www, "www_password", 12, "ovlek")
             .caption("WWW password:")
             .hint("Web administration password.")
             .at(1392, 14, E::Text);
  out << Declare::edit(www, "www_port", 4, "80")
             .caption("WWW port:")
             .hint("Web administration port number.")
             .at(1406, E::WordNumber);

  const std::string telnet = pages::kTelnet;
  out << Declare::edit(telnet, "telnet_user", 12, "admin")
             .caption("Telnet user:")
             .hint("Telnet administration user name.")
             .at(1408, 13, E::Text)
             .file("Telnet", "Telnet_user", "admin");
  out << Declare::edit(telnet, "telnet_password", 12, "ovlek")
             .caption("Telnet password:")
             .hint("Telnet administration password.")
             .at(1421, 13, E::Text)
             .file("Telnet", "Telnet_pass", "ovlek");
  out << Declare::edit(telnet, "telnet_port", 4, "23")
             .caption("Telnet port:")
             .hint("Telnet administration port number.")
             .at(1434, E::WordNumber)
             .file("Telnet", "Telnet_port", 23);

  // An import falls back to the start-up values.
  struct Debug {
    const char* name;
    const char* caption;
    int value;
  };
  const Debug debug[] = {
      {"Debug_aprsis", "APRS-IS:", 0},
      {"Debug_aprsismsgs", "APRS-IS msgs:", 0},
      {"Debug_telemetry", "Telemetry:", 0},
      {"Debug_ntp", "NTP:", 1},
      {"Debug_dns", "DNS:", 1},
      {"Debug_rf", "RF:", 1},
      {"Debug_ax25", "AX.25:", 1},
      {"Debug_weather", "Weather:", 0},
      {"Debug_wunderground", "Wunderground:", 1},
      {"Debug_digi", "Digi:", 1},
  };
  int at = 1436;
  for (const auto& d : debug) {
    out << Declare::combo(telnet, d.name, kDisabledEnabled, d.value)
               .caption(d.caption)
               .at(at++, E::ItemIndex)
               .file("Debug", d.name, d.value);
  }
}

}  // namespace zorbel::settings
