#pragma once
// The program's own settings, kept between runs: the choices of the Device
// menu and the last port opened.
#include <QSettings>

namespace zorbel::app {

QSettings& programSettings();

inline constexpr const char* kVerifyAfterWriteKey = "device/verifyAfterWrite";
// The /dev/serial/by-id name of the last port opened, preselected when it is there.
inline constexpr const char* kLastPortKey = "device/lastPort";
// View > Network variant (Zorbel+): the WWW tab and the Remote update menu shown.
inline constexpr const char* kNetworkVariantKey = "view/networkVariant";

}  // namespace zorbel::app
