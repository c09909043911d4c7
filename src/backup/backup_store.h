#pragma once
// The device's past configurations. Every image read from the device is kept
// as a file of its 2048 bytes, named by when (UTC) and which station, in one
// folder that the window and zorbelctl share, so a user has one history:
// 20261208-143005_SP5ABC-10.img. The files hold passwords: a folder made here
// is 0700 and each file 0600.
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "common/result.h"
#include "settings/image.h"

namespace zorbel::backup {

inline constexpr std::size_t kBackupLimit = 1000;

struct Backup {
  std::string file;       // its name in the folder
  std::string time;       // "20261208-143005", UTC, from the name
  std::string station;    // "SP5ABC-10", from the name
  unsigned sequence = 0;  // a later backup of the same second: .1, .2, ...
};

struct Kept {
  std::string file;    // the backup that holds the image
  bool added = false;  // false: the newest backup already held these bytes
};

// ${XDG_DATA_HOME:-~/.local/share}/zorbel-configurator/backups; a relative
// XDG_DATA_HOME is ignored, as the XDG rules say.
std::string defaultFolder();

// The station an image is from, fit for a file name: its callsign and "-SSID"
// (nothing for SSID 0), every character but A-Z, a-z, 0-9 and '-' made '_',
// at most 16 characters; "unknown" when the image is of another version or
// holds no callsign. A hostile image can make no path of it.
std::string stationName(const settings::Image& image);

// True for a name this store gives, the parts filled in.
bool parseBackupName(const std::string& file, Backup& backup);

class BackupStore {
 public:
  explicit BackupStore(std::string folder, std::size_t limit = kBackupLimit);

  const std::string& folder() const { return folder_; }

  // Keeps `image`, read at `now`, unless the newest backup holds the same
  // bytes; then removes the oldest backups beyond the limit. Makes the
  // folder (0700) when there is none. CannotWrite/WriteFailed when the file
  // could not be written: the reason says why.
  Result<Kept> keep(const settings::Image& image, std::time_t now = std::time(nullptr));

  // The backups, newest first. A folder not yet made holds none; files of
  // other names are no backups and left alone.
  Result<std::vector<Backup>> list() const;

  // A backup's bytes; a file that is not exactly 2048 bytes is refused (TooLong, ShortRead).
  Result<settings::Image> load(const std::string& file) const;

  std::string pathOf(const std::string& file) const { return folder_ + "/" + file; }

 private:
  std::string folder_;
  std::size_t limit_;
};

}  // namespace zorbel::backup
