// A log written as the program runs: refused by the rules every written file
// follows, but not whole or nothing.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "common/file_io.h"
#include "common/whole_file.h"

namespace zorbel {
namespace {

using file_detail::kNotRegular;
using file_detail::reasonOf;
using file_detail::refused;

// What a log may not be: a folder, a device, a named pipe, a file no one may
// write, or one of the files the program reads.
Result<void> refuseAsLog(const struct stat& st, const std::vector<std::string>& inputs) {
  if (S_ISDIR(st.st_mode)) return refused(reasonOf(EISDIR));
  if (!S_ISREG(st.st_mode)) return refused(kNotRegular);
  if ((st.st_mode & 0222) == 0) return refused(reasonOf(EACCES));
  for (const std::string& input : inputs) {
    struct stat in {};
    if (::stat(input.c_str(), &in) == 0 && in.st_dev == st.st_dev && in.st_ino == st.st_ino)
      return makeError(ErrorKind::SameFile, {}, "it is the input " + input);
  }
  return {};
}

}  // namespace

Result<void> checkLogFile(const std::string& path, const std::vector<std::string>& inputs) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return refuseAsLog(st, inputs);
  if (errno == ENOENT) return {};  // made when opened
  return refused(reasonOf(errno));
}

Result<int> openLogFile(const std::string& path, const std::vector<std::string>& inputs) {
  // Checked before it is opened (opening a pipe or a device can wake the
  // program at its other end), and what was opened is checked again: nothing
  // is emptied before both say it is a plain file of its own.
  if (Result<void> ok = checkLogFile(path, inputs); !ok) return ok.error();
  file_detail::UniqueFd fd(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600));
  if (fd.get() < 0) return refused(reasonOf(errno));
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return refused(reasonOf(errno));
  if (Result<void> ok = refuseAsLog(st, inputs); !ok) return ok.error();
  if (::fchmod(fd.get(), 0600) != 0 || ::ftruncate(fd.get(), 0) != 0 ||
      ::fcntl(fd.get(), F_SETFL, 0) != 0)
    return refused(reasonOf(errno));
  return fd.release();
}

}  // namespace zorbel
