#pragma once
// Public host names the device is given by default. They are ours to choose;
// each is a well-known public service of its kind.

namespace zorbel::settings {

inline constexpr const char* kAprsIsServer = "rotate.aprs2.net";  // APRS-IS tier-2 rotation
inline constexpr const char* kNtpServer = "pool.ntp.org";         // NTP pool
inline constexpr const char* kWuNormalServer = "weatherstation.wunderground.com";
inline constexpr const char* kWuRapidFireServer = "rtupdate.wunderground.com";
inline constexpr const char* kAprsIsFilterHelp = "http://www.aprs-is.net/javAPRSFilter.aspx";

}  // namespace zorbel::settings
