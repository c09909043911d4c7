// "Network" and "APRS-IS" tabs: addresses, APRS-IS servers, login and filter.
#include "catalog.h"
#include "declare.h"
#include "host_names.h"
#include "page_names.h"

namespace zorbel::settings {
namespace {

// Four octets; an import falls back to `loadDefaults`, which differ from the
// start-up values for the device's own address.
void addAddress(std::vector<Setting>& out, const std::string& prefix, int offset,
                const std::string& caption, const std::string& hint,
                const char* const (&defaults)[4], const int (&loadDefaults)[4]) {
  for (int part = 0; part < 4; ++part) {
    const std::string name = prefix + std::to_string(part);
    out << Declare::edit(pages::kNetwork, name, 3, defaults[part])
               .caption(caption)
               .hint(hint)
               .at(offset + part, Encoding::ByteNumber)
               .rule(Rule::Range, 0, 255,
                     caption.substr(0, caption.size() - 1) + " - range error (0 - 255).")
               .file("Network", name, loadDefaults[part]);
  }
}

}  // namespace

void addNetworkSettings(std::vector<Setting>& out) {
  using E = Encoding;
  // The mask is checked before the gateway, although the gateway lies lower in the image.
  addAddress(out, "Ipaddr", 533, "IP Address:", "Device IP address.", {"192", "168", "2", "2"},
             {192, 168, 2, 1});
  addAddress(out, "Ipmask", 541, "IP Mask:", "Device network mask", {"255", "255", "255", "0"},
             {255, 255, 255, 0});
  addAddress(out, "Ipgate", 537, "Gateway:", "Your network gateway/router IP.",
             {"192", "168", "2", "1"}, {192, 168, 2, 1});
  addAddress(out, "Ipdns", 545, "DNS:",
             "Domain name server IP. This should be your ISP's DNS server IP. Also most home "
             "routers are able "
             "to relay DNS queries.",
             {"192", "168", "2", "1"}, {192, 168, 2, 1});

  const std::string page = pages::kAprsIs;
  const std::string file = "APRS-IS";
  const int serverAt[] = {140, 174, 208};
  const int portAt[] = {172, 206, 240};
  for (int n = 1; n <= 3; ++n) {
    const std::string id = std::to_string(n);
    out << Declare::edit(page, "Aprsis" + id + "_servername", 31, n == 1 ? kAprsIsServer : "")
               .caption("Server " + id + ":")
               .hint("APRS-IS server domain name or IP address.")
               .at(serverAt[n - 1], 32, E::Text)
               .file(file, "Aprsis" + id + "_servername", n == 1 ? kAprsIsServer : "");
    out << Declare::edit(page, "Aprsis" + id + "_port", 5, "14580")
               .caption("Port:")
               .hint("APRS-IS server port.")
               .at(portAt[n - 1], E::UnsignedWord)
               .rule(Rule::PortOrEmpty, 0, 65535,
                     "APRS-IS Server " + id + " Port - range error (0 - 65535).")
               .file(file, "Aprsis" + id + "_port", 14580);
  }
  out << Declare::edit(page, "Aprsis_user", 16, "nocall")
             .caption("Username:")
             .hint("Your login to APRS-IS network. Usually your callsign.")
             .at(106, 17, E::UpperText)
             .file(file, "Aprsis_user", "nocall");
  out << Declare::edit(page, "Aprsis_pass", 16, "63107")
             .caption("Password:")
             .hint(
                 "You login to APRS-IS network. If you don't know it, you should ask your local "
                 "APRS-IS "
                 "administrator.")
             .at(123, 17, E::Text)
             .file(file, "Aprsis_pass", "63107");
  out << Declare::edit(page, "Aprsis_filter", 128, "m/40")
             .caption("APRS-IS server filter settings:")
             .hint("This filter string will be sent to APRS-IS server after connect.")
             .at(243, 129, E::Text)
             .file(file, "Aprsis_filter", "m/40")
             .fileAfter("Aprsis_timeout");
  out << Declare::edit(page, "Aprsis_timeout", 2, "1")
             .caption("Inactivity reconnect timeout [m]:")
             .hint("Device will reconnect if no data received from APRS-IS over specified time.")
             .at(242, E::ByteNumber)
             .rule(Rule::Range, 1, 60, "APRS-IS reconnect timeout - range error (1 - 60).")
             .file(file, "Aprsis_timeout", 1);
}

}  // namespace zorbel::settings
