#pragma once
// The backups as the user reads them: newest first, each with how many
// settings differ from the backup made before it.
#include <cstddef>
#include <string>
#include <vector>

#include "backup_store.h"
#include "common/result.h"

namespace zorbel::backup {

struct HistoryEntry {
  enum class Against {
    Counted,        // `differences` settings differ from the backup before it
    First,          // no backup before it
    NotComparable,  // it or the one before is of another version or unreadable
  };
  Backup backup;
  Against against = Against::First;
  std::size_t differences = 0;
};

Result<std::vector<HistoryEntry>> history(const BackupStore& store);

// What `history` says of an entry against the one before:
// "N settings differ from the one before", "the first backup", or
// "not comparable with the one before (another version)".
std::string againstText(const HistoryEntry& entry);

// "2026-12-08T14:30:05Z" for a backup's "20261208-143005".
std::string displayTime(const std::string& time);

}  // namespace zorbel::backup
