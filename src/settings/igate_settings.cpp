// "I-Gate" tab and the twelve APRS-IS to RF filter entries of the filter window.
#include "catalog.h"
#include "declare.h"
#include "page_names.h"

namespace zorbel::settings {
namespace {

const char* const kFile = "I-Gate";

void addHeardTimeout(std::vector<Setting>& out, const std::string& name, int offset,
                     const std::string& caption, const std::string& hint, const std::string& value,
                     const std::string& message, const std::string& key, int loadDefault) {
  out << Declare::edit(pages::kIgate, name, 3, value)
             .caption(caption)
             .hint(hint)
             .at(offset, Encoding::ByteNumber)
             .rule(Rule::Range, 1, 240, message)
             .file(kFile, key, loadDefault);
}

// A to-call box and its SSID box: an empty to-call stores '0' without reading the SSID.
// An import falls back to the start-up texts.
void addToCallPair(std::vector<Setting>& out, const std::string& call, const std::string& ssid,
                   int offset, const std::string& caption, const std::string& value,
                   const std::string& callHint, const std::string& ssidValue,
                   const std::string& ssidHint, const std::string& message) {
  out << Declare::edit(pages::kIgate, call, 6, value)
             .caption(caption)
             .hint(callHint)
             .at(offset, Encoding::PaddedCallsign)
             .file(kFile, call, value);
  out << Declare::edit(pages::kIgate, ssid, 2, ssidValue)
             .caption("-")
             .hint(ssidHint)
             .at(offset + 6, Encoding::SsidCharacter)
             .rule(Rule::GuardedSsid, 0, 15, message)
             .partner(call)
             .file(kFile, ssid, ssidValue);
}

}  // namespace

void addIgateSettings(std::vector<Setting>& out) {
  const std::string page = pages::kIgate;
  using E = Encoding;

  addHeardTimeout(out, "Aprsis_heard_timeout", 372, "APRS-IS heard buffer timeout [m]:",
                  "Stations heard from APRS-IS will be stored in buffer for specified time.", "30",
                  "APRS-IS heard buffer timeout range error (1 - 240).", "Aprsis_heardtimeout", 30);
  addToCallPair(out, "Aprsis_2rf_dest", "Aprsis_2rf_dest_ssid", 373,
                "APRS-IS to RF dest:", "APZR01", "APRS-IS to RF destination to-call.", "0",
                "APRS-IS to RF destination SSID.",
                "APRS-IS to RF dest - SSID range error (0 - 15).");
  out << Declare::combo(page, "Aprsis_fromrf", kNoYes, 1)
             .caption("Gate RF packets to APRS-IS:")
             .hint("If enabled, will gate packets received from RF to APRS-IS.")
             .at(380, E::ItemIndex)
             .file(kFile, "Aprsis_fromrf", 1);
  out << Declare::combo(page, "Aprsis_msg2rf", kNoYes, 1)
             .caption("Gate messages to local RF:")
             .hint("If enabled, will gate messages received from APRS-IS to RF.")
             .at(381, E::ItemIndex)
             .file(kFile, "Aprsis_msg2rf", 1);
  addToCallPair(out, "Aprsis_msg2rf_path", "Aprsis_msg2rf_ssid", 382, "Message path:", "WIDE2",
                "APRS-IS to RF message destination to-call.", "1",
                "APRS-IS to RF message destination SSID.",
                "APRS-IS message path - SSID range error (0 - 15).");
  out << Declare::edit(page, "Rfheard_local_maxhops", 3, "2")
             .caption("Local RF heard max. digi-hops:")
             .hint("Maximum number of digi-hops to recognize station as in local RF.")
             .at(389, E::ByteNumber)
             .rule(Rule::Range, 0, 8, "Local RF heard max. digi-hops range error (0 - 8).")
             .file(kFile, "Rfheard_local_maxhops", 2);
  addHeardTimeout(out, "Rfheard_local_timeout", 390, "Local RF heard buffer timeout [m]:",
                  "Stations heard from local RF will be stored in buffer for specified time.", "30",
                  "Local RF heard buffer timeout range error (1 - 240).", "Rfheard_local_timeout",
                  30);
  out << Declare::combo(page, "Aprsis_packet2rf", kNoYes, 1)
             .caption("Gate non-message packets to RF:")
             .hint("If enabled, will gate non-message packets received from APRS-IS to RF.")
             .at(391, E::ItemIndex)
             .file(kFile, "Aprsis_packet2rf", 0);
  addToCallPair(out, "Aprsis_packet2rf_path", "Aprsis_packet2rf_ssid", 397,
                "Non-message path:", "WIDE2",
                "APRS-IS to RF non-message packets destination to-call.", "1",
                "APRS-IS to RF non-message packets destination SSID.",
                "APRS-IS non-message path - SSID range error (0 - 15).");
  out << Declare::combo(page, "Aprsis_packet2rf_ifheard", kNoYes, 0)
             .caption("Gate if source station heard via RF:")
             .hint(
                 "If enabled, will gate non-message packets to RF even if source is heard via RF.")
             .at(392, E::ItemIndex)
             .file(kFile, "Aprsis_packet2rf_ifheard", 0);
  addHeardTimeout(out, "Rfheard_timeout", 393, "RF heard buffer timeout [m]:",
                  "Stations heard from RF will be stored in buffer for specified time.", "60",
                  "RF heard buffer timeout range error (1 - 240).", "Rfheard_timeout", 30);
  const char* perMinuteValue[] = {"6", "9", "12"};
  const char* perMinuteHint[] = {"over 1 minute.", "over 2 minutes.", "over 3 minutes."};
  const int perMinuteLoadDefault[] = {6, 9, 12};
  for (int m = 1; m <= 3; ++m) {
    const std::string id = std::to_string(m);
    out << Declare::edit(page, "Aprsis_packet2rf_" + id + "min", 3, perMinuteValue[m - 1])
               .caption(m == 1 ? "Max. packets per 1 / 2 / 3 min:" : "")
               .hint(std::string("Maximum number of packets gated from APRS-IS to RF ") +
                     perMinuteHint[m - 1])
               .at(393 + m, E::ByteNumber)
               .rule(Rule::Range, 1, 240,
                     "Max. non-message packets per " + id + " min range error (1 - 240).")
               .file(kFile, "Aprsis_packet2rf_" + id + "min", perMinuteLoadDefault[m - 1]);
  }

  // The filter window's entries: the device tests them from 1 to 12, first match decides.
  for (int k = 1; k <= 12; ++k) {
    const std::string id = (k < 10 ? "0" : "") + std::to_string(k);
    const int at = 404 + 8 * (k - 1);
    out << Declare::edit(pages::kFilterWindow, "Packet2rf_filter_callsign" + id, 6, "")
               .caption("Callsign:")
               .hint("Callsign pattern for APRS-IS to RF filter.")
               .at(at, E::PaddedCallsign)
               .file(kFile, "Packet2rf_filter_callsign" + id, "");
    out << Declare::edit(pages::kFilterWindow, "Packet2rf_filter_ssid" + id, 2, "*")
               .caption("SSID:")
               .hint("SSID pattern for APRS-IS to RF filter.")
               .at(at + 6, E::SsidCharacter)
               .rule(Rule::SsidOrWildcard, 0, 15,
                     "APRS-IS packets to RF filter " + std::to_string(k) +
                         " - SSID range error (0 - 15, or wildcard '*').")
               .file(kFile, "Packet2rf_filter_ssid" + id, "*");
    out << Declare::combo(
               pages::kFilterWindow, "Packet2rf_filter_type" + id,
               {"Not used", "Allow all", "Deny all", "Beacons", "Destination", "Telemetry"}, 0)
               .caption("Type:")
               .hint("APRS-IS to RF filter type.")
               .at(at + 7, E::ItemIndex)
               .file(kFile, "Packet2rf_filter_type" + id, 0);
  }
}

}  // namespace zorbel::settings
