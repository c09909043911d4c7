// Reading a whole plain file, and checking one can be read.
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/file_io.h"
#include "common/whole_file.h"

namespace zorbel {

using file_detail::openPlainFile;
using file_detail::reasonOf;
using file_detail::UniqueFd;

Result<std::vector<unsigned char>> readWholeFile(const std::string& path, std::size_t limit) {
  UniqueFd fd;
  struct stat st {};
  if (Result<void> opened = openPlainFile(path, fd, st); !opened) return opened.error();
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size > limit) return makeError(ErrorKind::TooLong, {}, {});
  // Read to the end, not to the size reported: a file of /proc or /sys says
  // it is empty however much it holds.
  std::vector<unsigned char> bytes(size + 1);  // one more, to see the end
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      if (got > limit) return makeError(ErrorKind::TooLong, {}, {});
      bytes.resize(std::min(std::max(2 * got, std::size_t{4096}), limit + 1));
    }
    const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return makeError(ErrorKind::ShortRead, {}, reasonOf(errno));
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

Result<void> checkReadable(const std::string& path) {
  UniqueFd fd;
  struct stat st {};
  return openPlainFile(path, fd, st);
}

}  // namespace zorbel
