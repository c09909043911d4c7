#include "common/file_attributes.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace zorbel::file_detail {

mode_t currentUmask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("Umask:", 0) == 0)
      return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  return 022;
}

bool mayWrite(const std::string& target, const struct stat& st, int& err) {
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    err = errno;
    return false;
  }
  if ((st.st_mode & 0222) == 0) {
    err = EACCES;
    return false;
  }
  return true;
}

namespace {

// The names of `fd`'s extended attributes, each ending in a zero byte; a file
// system without them has none.
bool attributeNames(int fd, std::string& list) {
  const ssize_t size = ::flistxattr(fd, nullptr, 0);
  if (size < 0) return errno == ENOTSUP;
  list.resize(static_cast<std::size_t>(size));
  const ssize_t got = ::flistxattr(fd, list.data(), list.size());
  if (got < 0) return false;
  list.resize(static_cast<std::size_t>(got));
  return true;
}

}  // namespace

bool keepAttributes(int from, int to, const struct stat& st) {
  if (::fchown(to, st.st_uid, st.st_gid) != 0) return false;
  std::string oldNames, newNames;
  if (!attributeNames(from, oldNames) || !attributeNames(to, newNames)) return false;
  // What the folder gave the new file (an inherited ACL) and the old one lacked goes.
  for (const char* n = newNames.c_str(); n < newNames.c_str() + newNames.size();
       n += std::strlen(n) + 1)
    if (::fgetxattr(from, n, nullptr, 0) < 0 && ::fremovexattr(to, n) != 0) return false;
  for (const char* n = oldNames.c_str(); n < oldNames.c_str() + oldNames.size();
       n += std::strlen(n) + 1) {
    const ssize_t size = ::fgetxattr(from, n, nullptr, 0);
    if (size < 0) return false;
    std::string value(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::fgetxattr(from, n, value.data(), value.size());
    if (got < 0 || ::fsetxattr(to, n, value.data(), static_cast<std::size_t>(got), 0) != 0)
      return false;
  }
  return ::fchmod(to, st.st_mode & 07777) == 0;
}

}  // namespace zorbel::file_detail
