// "Weather" tab: station type and the weather report.
#include "catalog.h"
#include "declare.h"
#include "page_names.h"

namespace zorbel::settings {

void addWeatherSettings(std::vector<Setting>& out) {
  const std::string page = pages::kWeather;
  const std::string file = "Weather";
  using E = Encoding;

  out << Declare::combo(page, "Weather_stationtype",
                        {"None", "Peet Bros Ultimeter 100", "Peet Bros Ultimeter 800",
                         "Peet Bros Ultimeter 2000", "Peet Bros Ultimeter 2100", "WS-2300",
                         "WS-2350", "Davis Vantage Pro", "Davis Vantage Pro2",
                         "Davis Vantage Pro Plus", "Davis Vantage Pro2 Plus"},
                        5)
             .caption("Weather station:")
             .hint("Weather station selection box.")
             .at(52, E::ItemIndex)
             .file(file, "Weather_stationtype", 5);
  addDestinationAndPath(out, page, "Weather", "Weather", "Weather report", 53, "Path:", file);
  out << Declare::edit(page, "Weather_txrate_rf", 4, "5")
             .caption("RF[min]:")
             .hint("Weather report TX rate to RF (minutes). Set 0 to disable.")
             .at(68, E::WordNumber)
             .rule(Rule::ZeroOrRange, 5, 1440,
                   "Weather report tx rate (RF) range error (5 - 1440).")
             .file(file, "Weather_txrate_rf", 5);
  out << Declare::edit(page, "Weather_txrate_aprsis", 4, "5")
             .caption("IS[min]:")
             .hint("Weather report TX rate to APRS-IS (minutes). Set 0 to disable.")
             .at(70, E::WordNumber)
             .rule(Rule::ZeroOrRange, 5, 1440,
                   "Weather report tx rate (APRSIS) range error (5 - 1440).")
             .file(file, "Weather_txrate_aprsis", 5);
  out << Declare::edit(page, "Weather_comment", 32, "Zorbel weather")
             .caption("Comment:")
             .hint("weather report comment.")
             .at(72, 34, E::Text)
             .rule(Rule::Printable, "Weather report comment - forbidden characters.")
             .file(file, "Weather_comment", "");
}

}  // namespace zorbel::settings
