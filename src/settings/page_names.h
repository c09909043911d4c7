#pragma once
// The object names of the pages that hold settings, each spelled once: a
// declaration names its page by one of these, the window gives the page's
// widget that name, and tests find the page by it.
namespace zorbel::settings::pages {

inline constexpr const char* kRadio = "radioPage";
inline constexpr const char* kDigipeater = "digipeaterPage";
inline constexpr const char* kBeacons = "beaconsPage";
inline constexpr const char* kNetwork = "networkPage";
inline constexpr const char* kAprsIs = "aprsIsPage";
inline constexpr const char* kIgate = "igatePage";
inline constexpr const char* kWeather = "weatherPage";
inline constexpr const char* kClock = "clockPage";
inline constexpr const char* kWebServer = "webServerPage";
inline constexpr const char* kTelnet = "telnetPage";
// "Telemetry reports" holds no setting itself, only the five pages below it.
inline constexpr const char* kTelemetry = "telemetryPage";
inline constexpr const char* kTelemetryReport = "telemetryReportPage";
inline constexpr const char* kAnalogChannels = "analogChannelsPage";
inline constexpr const char* kDigitalChannels1to4 = "digitalChannels1to4Page";
inline constexpr const char* kDigitalChannels5to8 = "digitalChannels5to8Page";
inline constexpr const char* kQuodraOutputs = "quodraOutputsPage";
inline constexpr const char* kWunderground = "wundergroundPage";
// The filter window's twelve entries belong to the I-Gate page's filter.
inline constexpr const char* kFilterWindow = "filterWindow";

}  // namespace zorbel::settings::pages
