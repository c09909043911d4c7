#pragma once
// The program's own settings, kept between runs: the choices of the Device
// menu, the last port opened, the window's layout, the recent files, the file
// dialogs' folders and the log's time stamps.
#include <QSettings>

namespace zorbel::app {

QSettings& programSettings();

inline constexpr const char* kVerifyAfterWriteKey = "device/verifyAfterWrite";
// The last port opened (an adapter by its /dev/serial/by-id name), preselected when it is there.
inline constexpr const char* kLastPortKey = "device/lastPort";
// View > Network variant (Zorbel+): the WWW tab and the Remote update menu shown.
inline constexpr const char* kNetworkVariantKey = "view/networkVariant";

}  // namespace zorbel::app
