#include "simulator_link.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace zorbel::link {

namespace {

Error refused(std::string why) { return makeError(ErrorKind::CannotWrite, std::move(why)); }

std::string linkTarget(const std::string& path) {
  char target[PATH_MAX];
  const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// An exclusive lock, tried a few times: a port list may hold a shared one for a moment.
bool lockExclusive(int fd) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    ::usleep(5000);
  }
  return false;
}

// The lock file, opened and locked. A simulator that stops removes its lock
// file, so a lock won on a file no longer at `lock` is worth nothing: then the
// file there now is tried.
Result<int> openLocked(const std::string& lock) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return refused("cannot make " + lock + ": " + std::strerror(errno));
    if (!lockExclusive(fd)) {
      ::close(fd);
      return refused(lock + " is held by another running simulator; not replacing its link");
    }
    struct stat opened {};
    struct stat there {};
    if (::fstat(fd, &opened) == 0 && ::stat(lock.c_str(), &there) == 0 &&
        opened.st_ino == there.st_ino && opened.st_dev == there.st_dev)
      return fd;
    ::close(fd);
  }
  return refused("cannot lock " + lock);
}

}  // namespace

Result<std::unique_ptr<SimulatorLink>> SimulatorLink::publish(const std::string& linkPath,
                                                              const std::string& terminal) {
  struct stat st {};
  if (::lstat(linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
    return refused(linkPath + " exists and is not a link; not replacing it");
  const std::string lock = lockPath(linkPath);
  const Result<int> locked = openLocked(lock);
  if (!locked) return locked.error();
  const int fd = locked.value();
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) != 0 ||
      ::write(fd, pid.data(), pid.size()) != static_cast<ssize_t>(pid.size())) {
    const Error failed = refused("cannot write " + lock + ": " + std::strerror(errno));
    ::unlink(lock.c_str());
    ::close(fd);
    return failed;
  }
  ::unlink(linkPath.c_str());
  if (::symlink(terminal.c_str(), linkPath.c_str()) != 0) {
    const Error failed = refused("cannot link " + linkPath + ": " + std::strerror(errno));
    ::unlink(lock.c_str());
    ::close(fd);
    return failed;
  }
  return std::unique_ptr<SimulatorLink>(new SimulatorLink(linkPath, terminal, fd));
}

SimulatorLink::~SimulatorLink() {
  if (linkTarget(linkPath_) == terminal_) ::unlink(linkPath_.c_str());
  ::unlink(lockPath(linkPath_).c_str());
  ::close(lockFd_);
}

bool SimulatorLink::held(const std::string& linkPath) {
  const int fd = ::open(lockPath(linkPath).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // also drops a shared lock just taken
  return held;
}

}  // namespace zorbel::link
