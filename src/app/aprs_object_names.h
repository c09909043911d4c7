#pragma once
// Object names of the widgets around the APRS aids: the pre-write warnings,
// the position dialog and the beacon previews. Tests find widgets by these.
#include <QString>

namespace zorbel::app::names {

// The pre-write warnings and their dialog.
inline constexpr const char* kCheckBeforeWriteAction = "checkBeforeWriteAction";
inline constexpr const char* kPreWriteDialog = "preWriteDialog";
inline constexpr const char* kWriteAnywayButton = "writeAnywayButton";
inline constexpr const char* kPreWriteCancelButton = "preWriteCancelButton";
inline QString preWriteSettingButton(const QString& setting) { return "show_" + setting; }
inline QString preWriteDismissBox(const QString& key) { return "dismiss_" + key; }

// "Set position…" on the Radio page and its dialog.
inline constexpr const char* kSetPositionButton = "setPositionButton";
inline constexpr const char* kPositionDialog = "positionDialog";
inline constexpr const char* kPositionInput = "positionInput";
inline constexpr const char* kPositionResult = "positionResult";

// The read-only line under beacon n's row.
inline QString beaconPreview(int n) { return QString("Beacon%1_preview").arg(n); }

}  // namespace zorbel::app::names
