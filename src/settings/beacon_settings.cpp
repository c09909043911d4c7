// "Beacons" tab: eight beacons with destination, path, rates and message.
#include "catalog.h"
#include "declare.h"

namespace zorbel::settings {

void addBeaconSettings(std::vector<Setting>& out) {
  const std::string page = "TabSheet2";
  using E = Encoding;

  for (int n = 1; n <= 8; ++n) {
    const std::string id = std::to_string(n);
    const std::string b = "Beacon" + id;
    const std::string beacon = "Beacon " + id;
    const int at = 556 + 84 * (n - 1);
    const std::string rate = n == 1 ? "5" : "0";

    out << Declare::edit(page, b + "_dest_string", 6, "APZR01").caption("Dest:")
               .hint(beacon + " destination to-call.").at(at, E::PaddedCallsign)
               .rule(Rule::NotEmpty, beacon + " destination - too short (ex. APZR01).");
    out << Declare::edit(page, b + "_dest_ssid", 2, "0").caption("-").hint(beacon + " destination SSID.")
               .at(at + 6, E::SsidCharacter)
               .rule(Rule::GuardedSsid, 0, 15, beacon + " destination - SSID range error (0 - 15).");
    out << Declare::edit(page, b + "_path_string", 6, "WIDE2").caption("Path:").hint(beacon + " path.")
               .at(at + 7, E::PaddedCallsign);
    out << Declare::edit(page, b + "_path_ssid", 2, "2").caption("-").hint(beacon + " path SSID.")
               .at(at + 13, E::SsidCharacter)
               .rule(Rule::GuardedSsid, 0, 15, beacon + " path - SSID range error (0 - 15).")
               .partner(b + "_path_string");
    out << Declare::edit(page, b + "_txrate_rf", 4, rate).caption("RF[min]:")
               .hint(beacon + " TX rate to RF (minutes). Set 0 to disable.").at(at + 14, E::WordNumber)
               .rule(Rule::ZeroOrRange, 5, 1440, beacon + " tx rate (RF) range error (5 - 1440), or 0 to disable.");
    out << Declare::edit(page, b + "_txrate_aprsis", 4, rate).caption("IS[min]:")
               .hint(beacon + " TX rate to APRS-IS (minutes). Set 0 to disable.").at(at + 16, E::WordNumber)
               .rule(Rule::ZeroOrRange, 5, 1440,
                     beacon + " tx rate (APRSIS) range error (5 - 1440), or 0 to disable.");
    out << Declare::edit(page, b + "_msg", 64, n == 1 ? "@<date>z<lat>/<long>-ZORBEL Test." : "")
               .caption("Message (empty fields are ignored):")
               .hint(beacon + " message. Please check \"Special strings\".").at(at + 18, 66, E::Text)
               .rule(Rule::Printable, beacon + " message - forbidden characters.");
  }
}

}  // namespace zorbel::settings
