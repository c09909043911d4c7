// Writing a whole file: by a rename over the target where that keeps all the
// old file had, else by a rewrite in place that can put the old content back.
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "common/file_attributes.h"
#include "common/file_io.h"
#include "common/temporary_files.h"
#include "common/whole_file.h"

namespace zorbel {
namespace {

using namespace file_detail;

// The target as it is when the write starts.
struct OldFile {
  bool exists = false;
  struct stat st {};
  UniqueFd fd;
};

enum class Renamed { Done, Failed, CannotKeep, NoTemporary };

// A symbolic link, or a chain of them, is followed to the file it names; a
// dangling link names the file to create.
Result<std::string> followLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return refused(reasonOf(errno));
    link.resize(static_cast<std::size_t>(n));
    path = link.front() == '/' ? link : folderOf(path) + "/" + link;
  }
  return refused(reasonOf(ELOOP));
}

void syncFolder(const std::string& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

// Names the folder where a temporary could not be made: the working folder by
// its name when the target has none.
std::string noTemporary(const std::string& folder, int err) {
  std::string name = folder;
  if (name == ".")
    if (char* cwd = ::getcwd(nullptr, 0); cwd != nullptr) {
      name = cwd;
      std::free(cwd);
    }
  return "cannot create a temporary file in " + name + ": " + reasonOf(err);
}

Renamed replaceByRename(const std::string& target, std::string_view content, const OldFile& old,
                        mode_t newMode, Error& error) {
  std::string temp = temporaryPattern(target);
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    // A folder the caller may not write can still hold a file they may: that is rewritten in place.
    error = refused(noTemporary(folderOf(target), errno));
    return Renamed::NoTemporary;
  }
  PendingTemporary pending(temp);
  const auto drop = [&] {
    fd.reset();
    ::unlink(temp.c_str());
  };
  // The content goes in while the file is still 0600; the target's own
  // owner, mode and attributes come just before the rename.
  if (!writeAllAt(fd.get(), content, 0)) {
    error = failed(reasonOf(errno));
    drop();
    return Renamed::Failed;
  }
  if (old.exists ? !keepAttributes(old.fd.get(), fd.get(), old.st)
                 : ::fchmod(fd.get(), newMode & ~currentUmask()) != 0) {
    const int err = errno;
    drop();
    if (old.exists) return Renamed::CannotKeep;
    error = refused(reasonOf(err));
    return Renamed::Failed;
  }
  if (::fsync(fd.get()) != 0 || !fd.reset() || ::rename(temp.c_str(), target.c_str()) != 0) {
    error = failed(reasonOf(errno));
    drop();
    return Renamed::Failed;
  }
  pending.forget();
  syncFolder(folderOf(target));
  return Renamed::Done;
}

// For a target with several hard links, whose owner, group or attributes a
// new file could not get, or in a folder that takes no new file: the target
// itself is rewritten, and a failure part-way writes the old content back.
// Where the folder takes one, a synced backup of the old content goes beside
// the target first, so that even a program killed outright loses nothing.
Result<void> rewriteInPlace(const std::string& target, std::string_view content,
                            std::string_view oldContent, const OldFile& old) {
  std::string backupPath = temporaryPattern(target);
  UniqueFd backup(::mkostemp(backupPath.data(), O_CLOEXEC));
  const int noBackupReason = errno;
  std::optional<PendingTemporary> pending;
  if (backup.get() >= 0) {
    pending.emplace(backupPath);
    if (!writeAllAt(backup.get(), oldContent, 0) || ::fsync(backup.get()) != 0 || !backup.reset()) {
      const int err = errno;
      ::unlink(backupPath.c_str());
      return refused(reasonOf(err));
    }
  } else {
    backupPath.clear();  // the old content is kept in memory only
  }
  const auto dropBackup = [&] {
    if (!backupPath.empty()) ::unlink(backupPath.c_str());
  };
  UniqueFd out(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  struct stat now {};
  if (out.get() < 0 || ::fstat(out.get(), &now) != 0 || now.st_dev != old.st.st_dev ||
      now.st_ino != old.st.st_ino) {
    const int err = out.get() < 0 ? errno : EAGAIN;
    dropBackup();
    // Neither way is open: the folder's refusal is what stopped the ordinary one.
    if (backupPath.empty()) return refused(noTemporary(folderOf(target), noBackupReason));
    return refused(reasonOf(err));
  }
  const SignalsHeld held;
  if (pending) pending->keepOnSignal();
  const auto writeWhole = [&](std::string_view bytes) {
    return writeAllAt(out.get(), bytes, 0) &&
           ::ftruncate(out.get(), static_cast<off_t>(bytes.size())) == 0 && ::fsync(out.get()) == 0;
  };
  if (writeWhole(content)) {
    dropBackup();
    return {};
  }
  const int err = errno;
  if (writeWhole(oldContent)) {
    dropBackup();
    return failed(reasonOf(err));
  }
  if (backupPath.empty()) return failed(reasonOf(err) + "; the old content could not be put back");
  if (pending) pending->forget();
  return failed(reasonOf(err) + "; the old content is kept in " + backupPath);
}

// Opens the target as it is, if there is one, and refuses what may not be
// written: a folder, a pipe or a device, a file the caller may not write, one
// of the inputs.
Result<void> openOldFile(const std::string& target, const WriteOptions& options, OldFile& old) {
  // A pipe or a device is refused before it is opened (opening one can wake
  // the program at its other end); fstat below checks what was opened.
  if (struct stat st{}; ::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    return refused(S_ISDIR(st.st_mode) ? reasonOf(EISDIR) : std::string(kNotRegular));
  old.fd = UniqueFd(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (old.fd.get() >= 0) {
    old.exists = true;
    if (::fstat(old.fd.get(), &old.st) != 0) return refused(reasonOf(errno));
    if (S_ISDIR(old.st.st_mode)) return refused(reasonOf(EISDIR));
    // Renaming over a device or a pipe would replace it; every file we write is a plain file.
    if (!S_ISREG(old.st.st_mode)) return refused(kNotRegular);
    if (int err = 0; !mayWrite(target, old.st, err)) return refused(reasonOf(err));
    ::fcntl(old.fd.get(), F_SETFL, 0);
  } else if (errno == EISDIR) {
    return refused(reasonOf(EISDIR));
  } else if (errno != ENOENT) {
    return refused(reasonOf(errno));  // one we may not read we may not back up or merge either
  }

  for (const std::string& input : options.inputs) {
    struct stat in {};
    if (old.exists && ::stat(input.c_str(), &in) == 0 && in.st_dev == old.st.st_dev &&
        in.st_ino == old.st.st_ino)
      return makeError(ErrorKind::SameFile, {}, "it is the input " + input);
  }
  return {};
}

// The old file's content, read once, when a compose or a rewrite in place needs it.
class OldContent {
 public:
  OldContent(const OldFile& old, std::size_t limit) : old_(old), limit_(limit) {}
  Result<void> read() {
    if (read_ || !old_.exists) return {};
    if (static_cast<std::size_t>(old_.st.st_size) > limit_)
      return makeError(ErrorKind::TooLong, {}, reasonOf(EFBIG));
    Result<std::string> bytes =
        readExactly(old_.fd.get(), static_cast<std::size_t>(old_.st.st_size));
    if (!bytes) return makeError(ErrorKind::CannotWrite, {}, bytes.error().reason);
    content_ = std::move(bytes.value());
    read_ = true;
    return {};
  }
  const std::string& content() const { return content_; }

 private:
  const OldFile& old_;
  std::size_t limit_;
  std::string content_;
  bool read_ = false;
};

Result<void> commit(const std::string& path,
                    const std::function<std::string(std::string_view)>* compose,
                    std::string_view bytes, const WriteOptions& options) {
  const Result<std::string> followed = followLinks(path);
  if (!followed) return followed.error();
  const std::string& target = followed.value();

  // Writers of one folder take turns, from reading the old file to the end of the write.
  UniqueFd lock(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (lock.get() < 0 && (errno == ENOENT || errno == ENOTDIR)) return refused(reasonOf(errno));
  if (lock.get() >= 0)
    while (::flock(lock.get(), LOCK_EX) != 0 && errno == EINTR) {
    }

  OldFile old;
  if (Result<void> opened = openOldFile(target, options, old); !opened) return opened;
  OldContent oldContent(old, options.oldLimit);
  std::string composed;
  if (compose != nullptr) {
    if (Result<void> r = oldContent.read(); !r) return r;
    composed = (*compose)(oldContent.content());
    bytes = composed;
  }

  if (!old.exists || old.st.st_nlink == 1) {
    Error error{};
    switch (replaceByRename(target, bytes, old, options.newFileMode, error)) {
      case Renamed::Done:
        return {};
      case Renamed::Failed:
        return error;
      case Renamed::CannotKeep:
        break;
      case Renamed::NoTemporary:
        if (!old.exists) return error;
        break;
    }
  }
  if (Result<void> r = oldContent.read(); !r) return r;
  return rewriteInPlace(target, bytes, oldContent.content(), old);
}

}  // namespace

Result<void> updateFile(const std::string& path,
                        const std::function<std::string(std::string_view old)>& compose,
                        const WriteOptions& options) {
  return commit(path, &compose, {}, options);
}

Result<void> writeFile(const std::string& path, std::string_view bytes,
                       const WriteOptions& options) {
  return commit(path, nullptr, bytes, options);
}

}  // namespace zorbel
