#pragma once
// Where the window's settings are kept besides the window itself: the
// configuration file saved or loaded last, and the device's configuration as
// last read or written. The window compares its settings with these states
// (never counts edits), so an edit typed back to what the file holds leaves
// nothing to save.
#include <QString>
#include <optional>

#include "settings/model.h"

namespace zorbel::app {

// Whether two states hold the same settings as far as a file or a read can
// bring them back: the clock, which neither restores (the PC's time fills it),
// and whether a box is enabled do not count.
bool sameKeptSettings(const settings::SettingsModel& a, const settings::SettingsModel& b);

class KeptSettings {
 public:
  // `start` is the window's start-up state: with nothing saved, loaded, read
  // or written yet, it is what an edit departs from.
  explicit KeptSettings(settings::SettingsModel start);

  // A save to, or a load from, `path` succeeded with these settings.
  void keptInFile(const settings::SettingsModel& state, const QString& path);
  // A read from, or a write to, the device succeeded with these settings.
  void keptOnDevice(const settings::SettingsModel& state);

  // The file saved or loaded last; empty before the first.
  const QString& filePath() const { return filePath_; }
  // The device's settings as last read or written, if any.
  const std::optional<settings::SettingsModel>& device() const { return device_; }

  // The title's modified mark: the settings differ from the file the title
  // names, or with no file from the device's, or from the start-up state.
  bool modified(const settings::SettingsModel& now) const;
  // Closing or replacing the settings would lose edits: neither the file
  // nor the device holds them (before either, the start-up state stands in).
  bool holdsUnkeptEdits(const settings::SettingsModel& now) const;

 private:
  settings::SettingsModel start_;
  std::optional<settings::SettingsModel> file_;
  std::optional<settings::SettingsModel> device_;
  QString filePath_;
};

}  // namespace zorbel::app
