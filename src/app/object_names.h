#pragma once
// The object names of the windows' own widgets: the buttons, menus, log,
// progress bar, port box and windows. Tests find widgets by these names.
// The settings controls are named by their control names (`Callsign`), which
// are the settings model's keys.
#include <QString>

#include "settings/page_names.h"

namespace zorbel::app::names {

// Windows
inline constexpr const char* kMainWindow = "mainWindow";
inline constexpr const char* kSpecialStringsWindow = "specialStringsWindow";
inline constexpr const char* kRemoteUpdateHelpWindow = "remoteUpdateHelpWindow";
inline constexpr const char* kFilterWindow = settings::pages::kFilterWindow;
inline constexpr const char* kFilterOkButton = "filterOkButton";
inline constexpr const char* kFilterCancelButton = "filterCancelButton";
inline constexpr const char* kSplashScreen = "splashScreen";

// The connection group
inline constexpr const char* kPortBox = "portBox";
inline constexpr const char* kOpenPortButton = "openPortButton";
inline constexpr const char* kClosePortButton = "closePortButton";
inline constexpr const char* kReadConfigButton = "readConfigButton";
inline constexpr const char* kWriteConfigButton = "writeConfigButton";
inline constexpr const char* kUploadFirmwareButton = "uploadFirmwareButton";
inline constexpr const char* kCancelTransferButton = "cancelTransferButton";

// The body of the main window; the settings pages are named in settings/page_names.h.
inline constexpr const char* kSettingsTabs = "settingsTabs";
// The tabs inside "Telemetry reports", and the captions of its module
// selectors, which start hidden.
inline constexpr const char* kTelemetryTabs = "telemetryTabs";
inline constexpr const char* kTelemoduleCaption = "telemoduleCaption";
inline constexpr const char* kBitsmoduleCaption = "bitsmoduleCaption";
// The tool bar and its search field ("Search settings", Ctrl+F).
inline constexpr const char* kToolBar = "toolBar";
inline constexpr const char* kSettingsSearch = "settingsSearch";
inline constexpr const char* kLogView = "logView";
inline constexpr const char* kStatusLine = "statusLine";
inline constexpr const char* kProgressBar = "progressBar";
// The log's context menu
inline constexpr const char* kSaveLogAction = "saveLogAction";
inline constexpr const char* kClearLogAction = "clearLogAction";

// Buttons on the settings pages
inline constexpr const char* kSpecialStringsButton = "specialStringsButton";
inline constexpr const char* kFilterSetupButton = "filterSetupButton";
// "Default parameters" of analog channel 1..5 and digital channel 1..8.
inline QString analogDefaultsButton(int channel) {
  return QString("analogDefaultsButton%1").arg(channel);
}
inline QString digitalDefaultsButton(int channel) {
  return QString("digitalDefaultsButton%1").arg(channel);
}

// Menus and their commands
inline constexpr const char* kMainMenu = "mainMenu";
inline constexpr const char* kSaveToFileAction = "saveToFileAction";
inline constexpr const char* kReadFromFileAction = "readFromFileAction";
inline constexpr const char* kRemoteUpdateMenu = "remoteUpdateMenu";
inline constexpr const char* kRemoteUpdateHelpAction = "remoteUpdateHelpAction";
inline constexpr const char* kBuildRemoteUpdateFileAction = "buildRemoteUpdateFileAction";
inline constexpr const char* kDeviceMenu = "deviceMenu";
inline constexpr const char* kCompareWithDeviceAction = "compareWithDeviceAction";
inline constexpr const char* kFindDeviceAction = "findDeviceAction";
inline constexpr const char* kVerifyAfterWriteAction = "verifyAfterWriteAction";
// The comparison's dialog and its table.
inline constexpr const char* kCompareDialog = "compareDialog";
inline constexpr const char* kComparedSettings = "comparedSettings";
// Device > History…, its table and its buttons.
inline constexpr const char* kHistoryAction = "historyAction";
inline constexpr const char* kHistoryDialog = "historyDialog";
inline constexpr const char* kHistoryTable = "historyTable";
inline constexpr const char* kHistoryCompareButton = "historyCompareButton";
inline constexpr const char* kHistoryLoadButton = "historyLoadButton";
inline constexpr const char* kBackUpBeforeWriteAction = "backUpBeforeWriteAction";
// The Edit menu and Device > Revert to device values.
inline constexpr const char* kEditMenu = "editMenu";
inline constexpr const char* kUndoAction = "undoAction";
inline constexpr const char* kRedoAction = "redoAction";
inline constexpr const char* kRevertToDeviceAction = "revertToDeviceAction";

// File dialogs: each remembers the name chosen last.
inline constexpr const char* kFirmwareDialog = "firmwareDialog";
inline constexpr const char* kConfigSaveDialog = "configSaveDialog";
inline constexpr const char* kConfigOpenDialog = "configOpenDialog";
inline constexpr const char* kRemoteFirmwareDialog = "remoteFirmwareDialog";
inline constexpr const char* kRemoteSaveDialog = "remoteSaveDialog";
inline constexpr const char* kLogSaveDialog = "logSaveDialog";

}  // namespace zorbel::app::names
