#include "atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbel {
namespace {

bool writeAll(int fd, const char* p, std::size_t left) {
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// A new file gets the usual 0666 less the umask; a replaced one keeps its mode.
mode_t modeFor(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const void* bytes, std::size_t size, std::string& error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    error = std::strerror(EISDIR);
    return false;
  }
  std::string temp = path + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  bool ok = writeAll(fd, static_cast<const char*>(bytes), size) && ::fchmod(fd, modeFor(path)) == 0 &&
            ::fsync(fd) == 0;
  int savedErrno = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  if (ok) savedErrno = errno;
  ::unlink(temp.c_str());
  error = std::strerror(savedErrno);
  return false;
}

ReadStatus readWholeFile(const std::string& path, std::size_t limit, std::vector<unsigned char>& out,
                         std::string& error) {
  // Non-blocking, so a named pipe or a terminal given as the path is refused
  // below instead of holding the caller until someone writes to it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = std::strerror(errno);
    return ReadStatus::CannotOpen;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = ::fstat(fd, &st) != 0 ? std::strerror(errno) : "not a regular file";
    ::close(fd);
    return ReadStatus::CannotOpen;
  }
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size > limit) {
    ::close(fd);
    return ReadStatus::TooLong;
  }
  std::vector<unsigned char> bytes(size);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, bytes.data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? std::strerror(errno) : "the file ended early";
      ::close(fd);
      return ReadStatus::ShortRead;
    }
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  out = std::move(bytes);
  return ReadStatus::Ok;
}

}  // namespace zorbel
