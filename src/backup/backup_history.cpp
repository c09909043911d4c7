#include "backup_history.h"

#include <optional>

#include "settings/codec.h"
#include "settings/compare.h"
#include "settings/model.h"

namespace zorbel::backup {

namespace {

// A backup's settings; none when it cannot be read or is of another version.
std::optional<settings::SettingsModel> settingsOf(const BackupStore& store, const Backup& b) {
  const auto image = store.load(b.file);
  if (!image) return std::nullopt;
  settings::SettingsModel model(0);
  if (!settings::decodeSettings(image.value(), model)) return std::nullopt;
  return model;
}

}  // namespace

Result<std::vector<HistoryEntry>> history(const BackupStore& store) {
  auto listed = store.list();
  if (!listed) return listed.error();
  const std::vector<Backup>& backups = listed.value();
  std::vector<HistoryEntry> entries;
  entries.reserve(backups.size());
  // From the oldest, so that each backup is decoded once.
  std::optional<settings::SettingsModel> before;
  for (std::size_t i = backups.size(); i-- > 0;) {
    HistoryEntry entry{.backup = backups[i]};
    std::optional<settings::SettingsModel> current = settingsOf(store, backups[i]);
    if (i + 1 == backups.size()) {
      entry.against = HistoryEntry::Against::First;
    } else if (!before || !current) {
      entry.against = HistoryEntry::Against::NotComparable;
    } else {
      // Decoded over the one before, so that what an image does not hold counts as equal.
      settings::SettingsModel over = *before;
      if (const auto image = store.load(backups[i].file); image)
        (void)settings::decodeSettings(image.value(), over);
      entry.against = HistoryEntry::Against::Counted;
      entry.differences = settings::compareSettings(*before, over).size();
    }
    entries.push_back(std::move(entry));
    before = std::move(current);
  }
  return std::vector<HistoryEntry>(entries.rbegin(), entries.rend());
}

std::string againstText(const HistoryEntry& entry) {
  switch (entry.against) {
    case HistoryEntry::Against::Counted:
      return std::to_string(entry.differences) + " settings differ from the one before";
    case HistoryEntry::Against::First:
      return "the first backup";
    case HistoryEntry::Against::NotComparable:
      return "not comparable with the one before (another version)";
  }
  return {};
}

std::string displayTime(const std::string& time) {
  if (time.size() != 15) return time;
  return time.substr(0, 4) + "-" + time.substr(4, 2) + "-" + time.substr(6, 2) + "T" +
         time.substr(9, 2) + ":" + time.substr(11, 2) + ":" + time.substr(13, 2) + "Z";
}

}  // namespace zorbel::backup
