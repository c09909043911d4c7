#include "common/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zorbel::file_detail {

std::string reasonOf(int err) { return std::strerror(err); }

Error refused(std::string reason) {
  return makeError(ErrorKind::CannotWrite, {}, std::move(reason));
}

Error failed(std::string reason) {
  return makeError(ErrorKind::WriteFailed, {}, std::move(reason));
}

bool writeAllAt(int fd, std::string_view bytes, off_t offset) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::pwrite(fd, p, left, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    p += n;
    offset += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

Result<std::string> readExactly(int fd, std::size_t size) {
  std::string bytes(size, '\0');
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, bytes.data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      return makeError(ErrorKind::ShortRead, {}, n < 0 ? reasonOf(errno) : "the file ended early");
    got += static_cast<std::size_t>(n);
  }
  return bytes;
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

Result<void> openPlainFile(const std::string& path, UniqueFd& fd, struct stat& st) {
  // A named pipe or a device is refused before it is opened at all: opening
  // one can wake or disturb the program at its other end. The open that
  // follows does not block either, and fstat checks what was opened.
  if (::stat(path.c_str(), &st) != 0) return makeError(ErrorKind::CannotRead, {}, reasonOf(errno));
  if (!S_ISREG(st.st_mode)) return makeError(ErrorKind::CannotRead, {}, kNotRegular);
  fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return makeError(ErrorKind::CannotRead, {}, reasonOf(errno));
  if (::fstat(fd.get(), &st) != 0) return makeError(ErrorKind::CannotRead, {}, reasonOf(errno));
  if (!S_ISREG(st.st_mode)) return makeError(ErrorKind::CannotRead, {}, kNotRegular);
  // Plain files never block; reads go on in the ordinary way.
  ::fcntl(fd.get(), F_SETFL, 0);
  return {};
}

}  // namespace zorbel::file_detail
