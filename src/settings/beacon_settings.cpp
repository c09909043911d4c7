// "Beacons" tab: eight beacons with destination, path, rates and message.
#include "catalog.h"
#include "declare.h"
#include "page_names.h"

namespace zorbel::settings {

void addBeaconSettings(std::vector<Setting>& out) {
  const std::string page = pages::kBeacons;
  const std::string file = "Beacons";
  using E = Encoding;

  for (int n = 1; n <= 8; ++n) {
    const std::string id = std::to_string(n);
    const std::string b = "Beacon" + id;
    const std::string beacon = "Beacon " + id;
    const int at = 556 + 84 * (n - 1);
    const std::string rate = n == 1 ? "5" : "0";

    addDestinationAndPath(out, page, b, beacon, beacon, at, "Path:", file);
    out << Declare::edit(page, b + "_txrate_rf", 4, rate)
               .caption("RF[min]:")
               .hint(beacon + " TX rate to RF (minutes). Set 0 to disable.")
               .at(at + 14, E::WordNumber)
               .rule(Rule::ZeroOrRange, 5, 1440,
                     beacon + " tx rate (RF) range error (5 - 1440), or 0 to disable.")
               .file(file, b + "_txrate_rf", 5);
    out << Declare::edit(page, b + "_txrate_aprsis", 4, rate)
               .caption("IS[min]:")
               .hint(beacon + " TX rate to APRS-IS (minutes). Set 0 to disable.")
               .at(at + 16, E::WordNumber)
               .rule(Rule::ZeroOrRange, 5, 1440,
                     beacon + " tx rate (APRSIS) range error (5 - 1440), or 0 to disable.")
               .file(file, b + "_txrate_aprsis", 5);
    out << Declare::edit(page, b + "_msg", 64, n == 1 ? "@<date>z<lat>/<long>-ZORBEL Test." : "")
               .caption("Message (empty fields are ignored):")
               .hint(beacon + " message. Please check \"Special strings\".")
               .at(at + 18, 66, E::Text)
               .rule(Rule::Printable, beacon + " message - forbidden characters.")
               .file(file, b + "_msg", n == 1 ? "@<date>z<lat>/<long>-ZORBEL Test." : "");
  }
}

}  // namespace zorbel::settings
