#include "backup_store.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "common/whole_file.h"
#include "settings/codec.h"
#include "settings/model.h"
#include "settings/setting_name.h"

namespace zorbel::backup {

namespace {

constexpr std::string_view kExtension = ".img";
constexpr std::size_t kTimeLength = 15;  // 20261208-143005
constexpr std::size_t kStationLimit = 16;

std::string reasonOf(int err) { return std::strerror(err); }

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
    return pw->pw_dir;
  return "/";
}

bool isDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isStationCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

std::string utcTime(std::time_t now) {
  std::tm tm{};
  ::gmtime_r(&now, &tm);
  char text[32];
  if (std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &tm) != kTimeLength)
    return "00000000-000000";  // a clock past the year 9999
  return text;
}

// Makes `folder` and any missing parent, each 0700.
Result<void> makeFolders(const std::string& folder) {
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), 0700) == 0 || errno == EEXIST) continue;
    return makeError(ErrorKind::CannotWrite, {}, "cannot create " + part + ": " + reasonOf(errno));
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return makeError(ErrorKind::CannotWrite, {}, folder + ": " + reasonOf(ENOTDIR));
  return {};
}

bool newerFirst(const Backup& a, const Backup& b) {
  if (a.time != b.time) return a.time > b.time;
  if (a.sequence != b.sequence) return a.sequence > b.sequence;
  return a.file > b.file;
}

}  // namespace

std::string defaultFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  const std::string base =
      data != nullptr && data[0] == '/' ? std::string(data) : homeFolder() + "/.local/share";
  return base + "/zorbel-configurator/backups";
}

std::string stationName(const settings::Image& image) {
  settings::SettingsModel model(0);
  if (!settings::decodeSettings(image, model)) return "unknown";
  std::string call = model.text("Callsign"_setting);
  while (!call.empty() && call.back() == ' ') call.pop_back();
  if (call.empty()) return "unknown";
  if (const std::string ssid = model.text("Ssid"_setting); ssid != "0") call += "-" + ssid;
  for (char& c : call)
    if (!isStationCharacter(c)) c = '_';
  return call.substr(0, kStationLimit);
}

bool parseBackupName(const std::string& file, Backup& backup) {
  const std::string_view name = file;
  if (name.size() <= kTimeLength + 1 + kExtension.size() || !name.ends_with(kExtension) ||
      name[kTimeLength] != '_')
    return false;
  const std::string_view time = name.substr(0, kTimeLength);
  if (!isDigits(time.substr(0, 8)) || time[8] != '-' || !isDigits(time.substr(9))) return false;
  std::string_view rest = name.substr(kTimeLength + 1);
  rest.remove_suffix(kExtension.size());
  unsigned sequence = 0;
  if (const std::size_t dot = rest.find('.'); dot != std::string_view::npos) {
    const std::string_view number = rest.substr(dot + 1);
    if (!isDigits(number) || number.size() > 6) return false;
    sequence = static_cast<unsigned>(std::stoul(std::string(number)));
    rest = rest.substr(0, dot);
  }
  if (rest.empty() || !std::all_of(rest.begin(), rest.end(), isStationCharacter)) return false;
  backup = Backup{
      .file = file, .time = std::string(time), .station = std::string(rest), .sequence = sequence};
  return true;
}

BackupStore::BackupStore(std::string folder, std::size_t limit)
    : folder_(std::move(folder)), limit_(std::max<std::size_t>(limit, 1)) {}

Result<std::vector<Backup>> BackupStore::list() const {
  std::vector<Backup> backups;
  DIR* dir = ::opendir(folder_.c_str());
  if (dir == nullptr) {
    if (errno == ENOENT) return backups;
    return makeError(ErrorKind::CannotRead, {}, folder_ + ": " + reasonOf(errno));
  }
  while (const dirent* entry = ::readdir(dir)) {
    Backup backup;
    if (parseBackupName(entry->d_name, backup)) backups.push_back(std::move(backup));
  }
  ::closedir(dir);
  std::sort(backups.begin(), backups.end(), newerFirst);
  return backups;
}

Result<settings::Image> BackupStore::load(const std::string& file) const {
  auto bytes = readWholeFile(pathOf(file), settings::kImageSize);
  if (!bytes) return bytes.error();
  if (bytes.value().size() != settings::kImageSize)
    return makeError(ErrorKind::ShortRead, {}, pathOf(file) + ": not a 2048-byte image");
  settings::Image image{};
  std::copy(bytes.value().begin(), bytes.value().end(), image.begin());
  return image;
}

Result<Kept> BackupStore::keep(const settings::Image& image, std::time_t now) {
  auto listed = list();
  if (!listed) return listed.error();
  std::vector<Backup>& backups = listed.value();
  if (!backups.empty()) {
    const auto newest = load(backups.front().file);
    if (newest && newest.value() == image) return Kept{.file = backups.front().file};
  }
  if (auto made = makeFolders(folder_); !made) return made.error();

  // A later backup of the same second gets the next number, so that the
  // names keep the order the backups were made in.
  const std::string time = utcTime(now);
  unsigned sequence = 0;
  bool sameSecond = false;
  for (const Backup& b : backups) {
    if (b.time != time) continue;
    sequence = std::max(sequence, b.sequence + 1);
    sameSecond = true;
  }
  std::string file = time + "_" + stationName(image);
  if (sameSecond) file += "." + std::to_string(sequence);
  file += kExtension;

  WriteOptions options;
  options.newFileMode = 0600;
  const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
  if (auto written = writeFile(pathOf(file), bytes, options); !written) return written.error();

  Backup added;
  parseBackupName(file, added);
  backups.insert(backups.begin(), added);
  std::sort(backups.begin(), backups.end(), newerFirst);
  // The oldest go first; one that cannot be removed stays, and the next keep tries again.
  for (std::size_t i = limit_; i < backups.size(); ++i) ::unlink(pathOf(backups[i].file).c_str());
  return Kept{.file = file, .added = true};
}

}  // namespace zorbel::backup
