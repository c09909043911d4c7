#include "whole_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace zorbel {
namespace {

constexpr const char* kNotRegular = "not a regular file";

std::string reasonOf(int err) { return std::strerror(err); }
Error refused(std::string reason) {
  return makeError(ErrorKind::CannotWrite, {}, std::move(reason));
}
Error failed(std::string reason) {
  return makeError(ErrorKind::WriteFailed, {}, std::move(reason));
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now; false (errno set) when the close reports a failed write.
  bool reset() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

// ---- temporary files removed when the program is stopped by a signal ----

// A fixed table the handler walks without allocating or locking.
enum SlotState : int { kFree, kFilling, kRemoveOnSignal, kKeepOnSignal };
struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
Slot gSlots[8];
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeTemporariesAndStop(int sig) {
  for (Slot& slot : gSlots)
    if (slot.state.load() == kRemoveOnSignal) ::unlink(slot.path);
  ::signal(sig, SIG_DFL);
  ::raise(sig);  // delivered when the handler returns: the program ends as the signal asked
}

// Only signals left at their default (ending the program) are taken over: an
// ignored SIGHUP stays ignored, and a handler the program set stays its own.
void installCleanupHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const int sig : kCleanupSignals) {
      struct sigaction old {};
      if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = removeTemporariesAndStop;
      ::sigemptyset(&action.sa_mask);
      for (const int other : kCleanupSignals) ::sigaddset(&action.sa_mask, other);
      ::sigaction(sig, &action, nullptr);
    }
  });
}

class PendingTemporary {
 public:
  explicit PendingTemporary(const std::string& path) {
    installCleanupHandlers();
    if (path.size() >= PATH_MAX) return;
    for (Slot& slot : gSlots) {
      int expected = kFree;
      if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
      std::memcpy(slot.path, path.c_str(), path.size() + 1);
      slot.state.store(kRemoveOnSignal);
      slot_ = &slot;
      return;
    }
  }
  ~PendingTemporary() { forget(); }
  PendingTemporary(const PendingTemporary&) = delete;
  PendingTemporary& operator=(const PendingTemporary&) = delete;

  // While the target is rewritten in place the temporary is its backup: a
  // signal must not remove it.
  void keepOnSignal() {
    if (slot_ != nullptr) slot_->state.store(kKeepOnSignal);
  }
  void forget() {
    if (slot_ != nullptr) slot_->state.store(kFree);
    slot_ = nullptr;
  }

 private:
  Slot* slot_ = nullptr;
};

// Holds SIGINT, SIGTERM and SIGHUP for this thread while the target is half
// rewritten; they arrive when it is whole again.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    ::sigemptyset(&set);
    for (const int sig : kCleanupSignals) ::sigaddset(&set, sig);
    ::pthread_sigmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

// ---- small pieces ----

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

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// ".NAME.tmp-XXXXXX" beside the target, NAME cut to 64 bytes (never inside a
// UTF-8 character), so the temporary's name fits wherever the target's does.
std::string temporaryPattern(const std::string& target) {
  const auto slash = target.rfind('/');
  const std::string prefix =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.size() > 64) {
    std::size_t cut = 64;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return prefix + "." + name + ".tmp-XXXXXX";
}

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

mode_t currentUmask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("Umask:", 0) == 0)
      return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  return 022;
}

// A file the caller may not write is refused, for root too when no write bit is set.
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

Result<std::string> readFrom(int fd, std::size_t size) {
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

// Opens a plain file for reading without waiting for a writer or a carrier.
Result<void> openPlainFile(const std::string& path, Fd& fd, struct stat& st) {
  // A named pipe or a device is refused before it is opened at all: opening
  // one can wake or disturb the program at its other end. The open that
  // follows does not block either, and fstat checks what was opened.
  if (::stat(path.c_str(), &st) != 0) return makeError(ErrorKind::CannotRead, {}, reasonOf(errno));
  if (!S_ISREG(st.st_mode)) return makeError(ErrorKind::CannotRead, {}, kNotRegular);
  fd = Fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return makeError(ErrorKind::CannotRead, {}, reasonOf(errno));
  if (::fstat(fd.get(), &st) != 0) return makeError(ErrorKind::CannotRead, {}, reasonOf(errno));
  if (!S_ISREG(st.st_mode)) return makeError(ErrorKind::CannotRead, {}, kNotRegular);
  // Plain files never block; reads go on in the ordinary way.
  ::fcntl(fd.get(), F_SETFL, 0);
  return {};
}

// Owner and group first (changing them clears set-id bits and capabilities),
// then the extended attributes (ACLs among them) exactly as the old file had
// them, then the mode. False when any of it cannot be given to `to`.
bool keepAttributes(int from, int to, const struct stat& st) {
  if (::fchown(to, st.st_uid, st.st_gid) != 0) return false;
  const auto names = [](int fd, std::string& list) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) return errno == ENOTSUP;
    list.resize(static_cast<std::size_t>(size));
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    if (got < 0) return false;
    list.resize(static_cast<std::size_t>(got));
    return true;
  };
  std::string oldNames, newNames;
  if (!names(from, oldNames) || !names(to, newNames)) return false;
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

void syncFolder(const std::string& folder) {
  Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

// The target as it is when the write starts.
struct OldFile {
  bool exists = false;
  struct stat st {};
  Fd fd;
};

enum class Renamed { Done, Failed, CannotKeep, NoTemporary };

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
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
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
  Fd backup(::mkostemp(backupPath.data(), O_CLOEXEC));
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
  Fd out(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
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

Result<void> commit(const std::string& path,
                    const std::function<std::string(std::string_view)>* compose,
                    std::string_view bytes, const WriteOptions& options) {
  const Result<std::string> followed = followLinks(path);
  if (!followed) return followed.error();
  const std::string& target = followed.value();

  // Writers of one folder take turns, from reading the old file to the end of the write.
  const std::string folder = folderOf(target);
  Fd lock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (lock.get() < 0 && (errno == ENOENT || errno == ENOTDIR)) return refused(reasonOf(errno));
  if (lock.get() >= 0)
    while (::flock(lock.get(), LOCK_EX) != 0 && errno == EINTR) {
    }

  OldFile old;
  // A pipe or a device is refused before it is opened (opening one can wake
  // the program at its other end); fstat below checks what was opened.
  if (struct stat st{}; ::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    return refused(S_ISDIR(st.st_mode) ? reasonOf(EISDIR) : std::string(kNotRegular));
  old.fd = Fd(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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

  std::string oldContent;
  bool oldRead = false;
  const auto readOld = [&]() -> Result<void> {
    if (oldRead || !old.exists) return {};
    if (static_cast<std::size_t>(old.st.st_size) > options.oldLimit)
      return makeError(ErrorKind::TooLong, {}, reasonOf(EFBIG));
    Result<std::string> read = readFrom(old.fd.get(), static_cast<std::size_t>(old.st.st_size));
    if (!read) return makeError(ErrorKind::CannotWrite, {}, read.error().reason);
    oldContent = std::move(read.value());
    oldRead = true;
    return {};
  };

  std::string composed;
  if (compose != nullptr) {
    if (Result<void> r = readOld(); !r) return r;
    composed = (*compose)(oldContent);
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
  if (Result<void> r = readOld(); !r) return r;
  return rewriteInPlace(target, bytes, oldContent, old);
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

Result<std::vector<unsigned char>> readWholeFile(const std::string& path, std::size_t limit) {
  Fd fd;
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

namespace {

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
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600));
  if (fd.get() < 0) return refused(reasonOf(errno));
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return refused(reasonOf(errno));
  if (Result<void> ok = refuseAsLog(st, inputs); !ok) return ok.error();
  if (::fchmod(fd.get(), 0600) != 0 || ::ftruncate(fd.get(), 0) != 0 ||
      ::fcntl(fd.get(), F_SETFL, 0) != 0)
    return refused(reasonOf(errno));
  return fd.release();
}

Result<void> checkReadable(const std::string& path) {
  Fd fd;
  struct stat st {};
  return openPlainFile(path, fd, st);
}

}  // namespace zorbel
