#pragma once
// Object names of the Help and View menus' widgets. Tests find widgets by these.

namespace zorbel::app::names {

inline constexpr const char* kHelpMenu = "helpMenu";
inline constexpr const char* kHelpContentsAction = "helpContentsAction";
inline constexpr const char* kHelpContentsWindow = "helpContentsWindow";
inline constexpr const char* kHelpSpecialStringsAction = "helpSpecialStringsAction";
inline constexpr const char* kHelpRemoteUpdateAction = "helpRemoteUpdateAction";
inline constexpr const char* kAboutAction = "aboutAction";
inline constexpr const char* kReportProblemAction = "reportProblemAction";

inline constexpr const char* kViewMenu = "viewMenu";
inline constexpr const char* kNetworkVariantAction = "networkVariantAction";

}  // namespace zorbel::app::names
