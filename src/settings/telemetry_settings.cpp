// "Telemetry reports" tab: report settings, five analog and eight digital channels.
#include "catalog.h"
#include "declare.h"
#include "page_names.h"
#include "telemetry_defaults.h"

namespace zorbel::settings {
namespace {

const char* const kFile = "Telemetry";

void addReport(std::vector<Setting>& out, const std::string& prefix, const std::string& what,
               int at) {
  const std::string page = pages::kTelemetryReport;
  using E = Encoding;
  addDestinationAndPath(out, page, prefix, what, what, at, "Path", kFile);
  // The data report keeps a spare zero byte after its path SSID; the parameter report does not.
  const int rates = prefix == "Teledata" ? at + 15 : at + 14;
  out << Declare::edit(page, prefix + "_txrate_rf", 4, "5")
             .caption("RF[min]:")
             .hint(what + " TX rate to RF (minutes). Set 0 to disable.")
             .at(rates, E::WordNumber)
             .rule(Rule::ZeroOrRange, 5, 1440, what + " tx rate (RF) range error (5 - 1440).")
             .file(kFile, prefix + "_txrate_rf", 5);
  out << Declare::edit(page, prefix + "_txrate_aprsis", 4, "5")
             .caption("IS[min]:")
             .hint(what + " TX rate to APRS-IS (minutes). Set 0 to disable.")
             .at(rates + 2, E::WordNumber)
             .rule(Rule::ZeroOrRange, 5, 1440, what + " tx rate (APRSIS) range error (5 - 1440).")
             .file(kFile, prefix + "_txrate_aprsis", 5);
}

}  // namespace

void addTelemetrySettings(std::vector<Setting>& out) {
  using E = Encoding;
  const std::string page = pages::kTelemetryReport;

  out << Declare::edit(page, "Teletitle", 23, "Telemetry test")
             .caption("Telemetry project title:")
             .hint("Title for telemetry sent in BITS message.")
             .at(1446, 24, E::Text)
             .file(kFile, "Tele_title", "Telemetry test");
  out << Declare::combo(page, "Tele_enable", kDisabledEnabled, 0)
             .caption("Telemetry reports:")
             .hint("Enables or disables telemetry reports.")
             .at(1470, E::ItemIndex)
             .file(kFile, "Tele_enable", 0);
  out << Declare::combo(page, "Telemodule_enable", kDisabledEnabled, 0)
             .caption("Vondrake module (analog):")
             .hint("Enables or disables Vondrake module support.")
             .at(1471, E::ItemIndex)
             .file(kFile, "Telemodule_enable", 0);
  out << Declare::combo(page, "Bitsmodule_enable", kDisabledEnabled, 0)
             .caption("Quodra module (digital):")
             .hint("Enables or disables Quodra module support.")
             .at(1472, E::ItemIndex)
             .file(kFile, "Bitsmodule_enable", 0);
  out << Declare::edit(page, "Tele_holdoff", 3, "60")
             .caption("First telemetry data packet delay [min]:")
             .hint(
                 "Delay for first telemetry data packet. Allows to gather data after device "
                 "power-up.")
             .at(1867, E::ByteNumber)
             .rule(Rule::RangeThenStore, 0, 250,
                   "First telemetry data packet delay range error (0 - 250).")
             .file(kFile, "Tele_holdoff", 0);

  const int analogLimit[] = {7, 7, 6, 6, 5};
  // What an import falls back to, channel by channel. Sources 7 to 9 lie past
  // the source list: loading them leaves no source selected.
  const char* analogName[] = {"I1", "I2", "U1", "U2", "Temp"};
  const char* analogUnits[] = {"mA", "mA", "Volt", "Volt", "C"};
  const int analogSource[] = {1, 4, 7, 8, 9};
  const char* analogCoefB[] = {"19.5", "19.5", "0.1", "0.1", "0.5"};
  const char* analogCoefC[] = {"0", "0", "0", "0", "-64"};
  for (int k = 1; k <= 5; ++k) {
    const std::string id = std::to_string(k);
    const std::string a = "Teleanalog" + id;
    const std::string channel = "Analog channel " + id;
    const int at = 1510 + 45 * (k - 1);
    const AnalogDefaults& d = analogDefaults(k, kAnalogStartupSource[k - 1]);
    const std::string coef = channel + " telemetry calculation coefficient ";
    const std::string equation = ". Equation: A*x*x+B*x+C (where x is the measurement sample).";
    out << Declare::combo(pages::kAnalogChannels, a + "_source", analogSourceItems(),
                          kAnalogStartupSource[k - 1])
               .caption("Source:")
               .hint(channel + " measurement source.")
               .at(at, E::ItemIndex)
               .file(kFile, a + "_source", analogSource[k - 1])
               .fileAfter(a + "_units");
    out << Declare::edit(pages::kAnalogChannels, a + "_name", analogLimit[k - 1], d.name)
               .caption("Name:")
               .hint(channel + " report name.")
               .at(at + 1, 8, E::Text)
               .file(kFile, a + "_name", analogName[k - 1]);
    out << Declare::edit(pages::kAnalogChannels, a + "_units", analogLimit[k - 1], d.units)
               .caption("Units:")
               .hint(channel + " report units.")
               .at(at + 9, 8, E::Text)
               .file(kFile, a + "_units", analogUnits[k - 1]);
    out << Declare::edit(pages::kAnalogChannels, a + "_coefa", 8, d.coefA)
               .caption("Coeff A:")
               .hint(coef + "A" + equation)
               .at(at + 17, 9, E::Text)
               .file(kFile, a + "_coefa", "0");
    out << Declare::edit(pages::kAnalogChannels, a + "_coefb", 8, d.coefB)
               .caption("Coeff B:")
               .hint(coef + "B" + equation)
               .at(at + 26, 9, E::Text)
               .file(kFile, a + "_coefb", analogCoefB[k - 1]);
    out << Declare::edit(pages::kAnalogChannels, a + "_coefc", 8, d.coefC)
               .caption("Coeff C:")
               .hint(coef + "C" + equation)
               .at(at + 35, 9, E::Text)
               .file(kFile, a + "_coefc", analogCoefC[k - 1]);
    out << Declare::combo(pages::kAnalogChannels, a + "_average", kOffOn, 0)
               .caption("1 min average:")
               .hint("If selected, the device will calculate 1 minute average of measured samples.")
               .at(at + 44, E::ItemIndex)
               .file(kFile, a + "_average", 0);
  }

  // An import restores the digital channels only from keys that are present and convert.
  const int digitalLimit[] = {6, 5, 4, 4, 4, 3, 3, 3};
  for (int k = 1; k <= 8; ++k) {
    const std::string id = std::to_string(k);
    const std::string d = "Teledigital" + id;
    const std::string channel = "Digital channel " + id;
    const std::string tab = k <= 4 ? pages::kDigitalChannels1to4 : pages::kDigitalChannels5to8;
    const int at = 1735 + 16 * (k - 1);
    out << Declare::combo(tab, d + "_source", {"Not used"}, 0)
               .caption("Source")
               .hint(channel + " source.")
               .at(at, E::ItemIndex)
               .fileWithoutLoadDefault(kFile, d + "_source")
               .fileAfter(d + "_units");
    out << Declare::edit(tab, d + "_name", digitalLimit[k - 1], digitalDefaultName(k))
               .caption("Name:")
               .hint(channel + " report name.")
               .at(at + 1, 7, E::Text)
               .fileWithoutLoadDefault(kFile, d + "_name");
    out << Declare::edit(tab, d + "_units", digitalLimit[k - 1], digitalDefaultLabel(k))
               .caption("Label")
               .hint(channel + " report label.")
               .at(at + 8, 7, E::Text)
               .fileWithoutLoadDefault(kFile, d + "_label");
    out << Declare::combo(tab, d + "_inverted", kNoYes, 0)
               .caption("Inverted:")
               .hint("Select if digital channel is active-low.")
               .at(at + 15, E::ItemIndex)
               .fileWithoutLoadDefault(kFile, d + "_inverted");
  }

  const std::size_t dataReport = out.size();
  addReport(out, "Teledata", "Telemetry data", 1473);
  const std::size_t parameterReport = out.size();
  addReport(out, "Teleparams", "Telemetry parameters", 1492);
  // The file holds the parameter report before the data report.
  placeFileKeysAfter(out, dataReport, parameterReport, "Teleparams_txrate_aprsis");
}

}  // namespace zorbel::settings
