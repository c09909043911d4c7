// "Digipeater" tab: common settings, New-N path rules and the callsign filter.
#include "catalog.h"
#include "declare.h"
#include "page_names.h"

namespace zorbel::settings {

void addDigipeaterSettings(std::vector<Setting>& out) {
  const std::string page = pages::kDigipeater;
  const std::string file = "Digipeater";
  using E = Encoding;

  out << Declare::combo(page, "Digion", kNoYes, 1)
             .caption("Digipeater on:")
             .at(27, E::ItemIndex)
             .file(file, "Digion", 1);
  out << Declare::edit(page, "Floodtimeout", 3, "60")
             .caption("Duplicate checking [s]:")
             .hint(
                 "Time for which a received packet is stored for duplicate checking. Duplicate "
                 "packets "
                 "are discarded and are not digipeated.")
             .at(28, E::ByteNumber)
             .rule(Rule::Range, 15, 180, "Duplicate checking - range error (15 - 180).")
             .file(file, "Floodtimeout", 60);

  for (int n = 1; n <= 8; ++n) {
    const std::string id = std::to_string(n);
    const std::string p = "Pathn" + id;
    const int at = 1228 + 10 * (n - 1);
    const char* name = n == 1 ? "WIDE" : n == 2 ? "SP" : "";
    out << Declare::edit(page, p + "_name", 5, name)
               .caption("Path (n-N):")
               .hint(
                   "New-N path for digipeated packets. Example: setting path to WIDE and N>=1, "
                   "N<=2 will "
                   "make the device digipeat packets with WIDE2-2 or WIDE2-1 or WIDE1-1 in path.")
               .at(at, 6, E::Text)
               .file(file, p + "_name", name);
    out << Declare::edit(page, p + "_lower", 1, "1")
               .caption("N >=")
               .at(at + 6, E::ByteNumber)
               .rule(Rule::Range, 1, 7, "Path(n-N) " + id + ", n>= value range error (1 - 7).")
               .file(file, p + "_lower", "1");
    out << Declare::edit(page, p + "_higher", 1, "7")
               .caption("N <=")
               .at(at + 7, E::ByteNumber)
               .rule(Rule::Range, 1, 7, "Path(n-N) " + id + ", n<= value range error (1 - 7).")
               .file(file, p + "_higher", "7");
    out << Declare::combo(page, p + "_traceable", kNoYes, n == 1 ? 1 : 0)
               .caption("traceable:")
               .hint("If selected, the device will add its callsign to path of digipeated packets.")
               .at(at + 8, E::ItemIndex)
               .file(file, p + "_traceable", n == 1 ? 1 : 0);
    out << Declare::check(page, p + "_active", n <= 2)
               .caption("active:")
               .at(at + 9, E::FlagByte)
               .file(file, p + "_active", n <= 2 ? 1 : 0);
  }

  out << Declare::combo(page, "Callfilter_rule",
                        {"Allow all, except below", "Deny all, except below"}, 0)
             .caption("General rule:")
             .hint("General rule for digipeater callsign filter")
             .at(1308, E::ItemIndex)
             .file(file, "Callfilter_rule", 0);
  for (int k = 1; k <= 10; ++k) {
    const std::string id = std::to_string(k);
    const int at = 1309 + 7 * (k - 1);
    out << Declare::edit(page, "Callfilter_callsign" + id, 6, "")
               .caption("Callsign:")
               .hint("Callsign filter callsign.")
               .at(at, E::PaddedCallsign)
               .file(file, "Callfilter_callsign" + id, "");
    out << Declare::edit(page, "Callfilter_ssid" + id, 2, "*")
               .caption("SSID:")
               .hint("Callsign filter SSID.")
               .at(at + 6, E::SsidCharacter)
               .rule(Rule::SsidOrWildcard, 0, 15,
                     "Callsign filter " + id + " - SSID range error (0 - 15, or wildcard '*').")
               .file(file, "Callfilter_ssid" + id, "*");
  }
}

}  // namespace zorbel::settings
