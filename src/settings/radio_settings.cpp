// "Radio" tab: station identity, position and transmitter timing.
#include "catalog.h"
#include "declare.h"
#include "page_names.h"

namespace zorbel::settings {

void addRadioSettings(std::vector<Setting>& out) {
  const std::string page = pages::kRadio;
  const std::string file = "Radio";
  using E = Encoding;

  out << Declare::edit(page, "Callsign", 6, "NOCALL")
             .caption("Callsign:")
             .hint("Stations callsign.")
             .at(14, E::StationCallsign)
             .rule(Rule::NotEmpty, "Callsign - too short (ex. NOCALL-4).")
             .file(file, "Callsign", "NOCALL");
  out << Declare::edit(page, "Ssid", 2, "0")
             .hint("Stations SSID")
             .at(20, E::StationSsid)
             .rule(Rule::RangeThenStore, 0, 15, "Callsign - SSID range error (0 - 15).")
             .file(file, "SSID", "0");
  out << Declare::edit(page, "Txdelay", 4, "250")
             .caption("TX delay [ms]:")
             .hint("Time between PTT on and packet start (preamble length).")
             .at(22, E::WordNumber)
             .rule(Rule::Range, 200, 1000, "TX delay - range error (200 - 1000).")
             .file(file, "TXdelay", 250);
  out << Declare::edit(page, "Quiettime", 4, "400")
             .caption("Quiet time [ms]:")
             .hint("Delay between last received  packet and packet send.")
             .at(24, E::WordNumber)
             .rule(Rule::Range, 200, 3000, "Quiet time - range error (200 - 3000).")
             .file(file, "Quiettime", 400);
  out << Declare::combo(page, "Quiettime_randomize",
                        {"No", "+/- 16 ms", "+/- 32 ms", "+/- 64 ms", "+/- 128 ms"}, 4)
             .caption("Randomize quiet time:")
             .hint("Quiet time random modifier.")
             .at(26, E::ItemIndex)
             .file(file, "Quiettime_randomize", 3);
  out << Declare::combo(page, "Ptt", {"separate output", "2k2 resistor"}, 0)
             .caption("PTT:")
             .hint("PTT output type.")
             .at(48, E::ItemIndex)
             .file(file, "PTT", 0);
  out << Declare::combo(page, "Busydetect", {"analog signal level", "digital detect"}, 0)
             .caption("Channel busy detect:")
             .hint(
                 "Channel busy detection method. For open quelch operation use only digital "
                 "detect.")
             .at(49, E::ItemIndex)
             .file(file, "Busydetect", 0);
  out << Declare::combo(page, "Consecutive_packets", {"in bursts", "separately"}, 0)
             .caption("Consecutive packets send:")
             .hint(
                 "Multiple packets from TX fifo will be sent without gap if \"bursts\" is "
                 "selected.")
             .at(50, E::ItemIndex)
             .file(file, "Consecutive_packets", 0);
  out << Declare::edit(page, "Latitude", 8, "5221.60N")
             .caption("Latitude:")
             .hint("Stations latitude.")
             .at(29, E::Latitude)
             .rule(Rule::LatitudeShape, "Latitude - syntax error (ex. 5221.60N).")
             .file(file, "Latitude", "5221.60N");
  out << Declare::edit(page, "Longitude", 9, "01653.63E")
             .caption("Longitude:")
             .hint("Stations longitude.")
             .at(38, E::Longitude)
             .rule(Rule::LongitudeShape, "Longitude - syntax error (ex. 01653.63E).")
             .file(file, "Longitude", "01653.63E");
}

}  // namespace zorbel::settings
