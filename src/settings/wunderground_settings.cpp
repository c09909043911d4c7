// Quodra outputs (hidden page) and the "WUnderground" tab; these close the image.
#include "catalog.h"
#include "declare.h"
#include "host_names.h"
#include "page_names.h"

namespace zorbel::settings {

void addWundergroundSettings(std::vector<Setting>& out) {
  using E = Encoding;
  for (int n = 1; n <= 4; ++n) {
    const std::string id = std::to_string(n);
    out << Declare::combo(pages::kQuodraOutputs, "Quodra_output" + id, kOffOn, 0)
               .caption("Output " + id + " default state:")
               .at(1862 + n, E::ItemIndex)
               .fileWithoutLoadDefault("Telemetry", "Quodra_output" + id);
  }

  const std::string page = pages::kWunderground;
  const std::string file = "WeatherUnderground";
  out << Declare::combo(page, "WU_enable", kDisabledEnabled, 0)
             .caption("Weather reports to WeatherUnderground:")
             .at(1868, E::ItemIndex)
             .file(file, "Enable", 0);
  out << Declare::edit(page, "WU_stationid", 24, "")
             .caption("Station ID:")
             .at(1869, 25, E::Text)
             .file(file, "StationID", "");
  out << Declare::edit(page, "WU_password", 24, "")
             .caption("Password:")
             .at(1894, 25, E::Text)
             .file(file, "Password", "");
  out << Declare::edit(page, "WU_normalserver", 39, kWuNormalServer)
             .caption("Normal upload server:")
             .at(1919, 40, E::Text)
             .file(file, "Normalserver", kWuNormalServer);
  out << Declare::edit(page, "WU_rapidfireserver", 39, kWuRapidFireServer)
             .caption("\"Rapid fire\" upload server:")
             .at(1959, 40, E::Text)
             .file(file, "Rapidfireserver", kWuRapidFireServer);
  out << Declare::combo(page, "WU_sendmethod", {"Normal", "\"Rapid fire\""}, 0)
             .caption("Weather send method:")
             .at(1999, E::ItemIndex)
             .file(file, "Sendmethod", 0);
  out << Declare::edit(page, "WU_normalrate", 3, "1")
             .caption("Normal weather send rate [min]:")
             .at(2000, E::ByteNumber)
             .rule(Rule::Range, 1, 240,
                   "WeatherUnderground normal send rate range error (1 - 240).")
             .file(file, "Normal_rate", 1);
  out << Declare::edit(page, "WU_rapidfirerate", 3, "5")
             .caption("\"Rapid fire\" weather send rate [sec]:")
             .at(2001, E::ByteNumber)
             .rule(Rule::Range, 5, 60,
                   "WeatherUnderground \"Rapid fire\" send rate range error (5 - 60).")
             .file(file, "Rapidfire_rate", 5);
}

}  // namespace zorbel::settings
