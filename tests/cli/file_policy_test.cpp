// How every file zorbelctl writes is written, on real files, as root and as
// an ordinary user (setpriv): refusals, what an existing file keeps, hard and
// symbolic links, outputs that are inputs, temporary files and signals, and
// two writers at once.
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <fcntl.h>

#include "support/fault_support.h"

namespace zorbel::faults {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uid_t kOtherUser = 12345;
constexpr gid_t kSharedGroup = 4242;

struct Stat {
  uid_t uid;
  gid_t gid;
  mode_t mode;
  ino_t ino;
  nlink_t links;
};
Stat statOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path);
  return {st.st_uid, st.st_gid, st.st_mode & 07777, st.st_ino, st.st_nlink};
}

std::string xattr(const std::string& path, const char* name) {
  std::string value(256, '\0');
  const ssize_t n = ::getxattr(path.c_str(), name, value.data(), value.size());
  return n < 0 ? "(none)" : value.substr(0, static_cast<std::size_t>(n));
}

// An access ACL as the kernel stores it: owner rw, user 1000 r, group r, mask r, others none.
std::string aclBytes() {
  std::string bytes;
  const auto add = [&](std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>(v >> (8 * i));
  };
  add(2, 4);  // version
  const std::uint32_t entries[][3] = {{0x01, 6, 0xFFFFFFFF},
                                      {0x02, 4, 1000},
                                      {0x04, 4, 0xFFFFFFFF},
                                      {0x10, 4, 0xFFFFFFFF},
                                      {0x20, 0, 0xFFFFFFFF}};
  for (const auto& e : entries) add(e[0], 2), add(e[1], 2), add(e[2], 4);
  return bytes;
}

class FilePolicy : public ::testing::Test {
 protected:
  void SetUp() override {
    firmware = dir.write("fw.hash", std::string(3000, 'F'));
    ::chmod(dir.path().c_str(), 0777);
    ::chmod(firmware.c_str(), 0644);
  }
  // zorbelctl as an ordinary user (nobody), in the shared group when asked.
  ProgramRun asUser(const std::vector<std::string>& args, bool inGroup = false,
                    const std::string& shellPrefix = {}) {
    std::vector<std::string> argv{"setpriv", "--reuid=65534", "--regid=65534"};
    argv.push_back(inGroup ? "--groups=" + std::to_string(kSharedGroup) : "--clear-groups");
    argv.push_back(ZORBELCTL_PATH);
    argv.insert(argv.end(), args.begin(), args.end());
    return runProgram(argv, dir, std::chrono::seconds(20), shellPrefix);
  }
  bool canSwitchUser(std::string& why) {
    if (::geteuid() != 0)
      why = "needs root to run zorbelctl as another user";
    else if (!fs::exists("/usr/bin/setpriv") && !fs::exists("/bin/setpriv"))
      why = "setpriv is not installed";
    return why.empty();
  }
  // Temporaries left in the folder.
  std::vector<std::string> leftovers() {
    std::vector<std::string> names;
    for (const auto& name : dir.entries())
      if (name.find(".tmp-") != std::string::npos) names.push_back(name);
    return names;
  }
  // The three writers, each with the target appended.
  std::vector<std::pair<std::string, std::vector<std::string>>> writers() {
    return {{"save", {"--set", "Callsign=NEW1", "save"}},
            {"encode", {"encode"}},
            {"ruf", {"ruf", firmware}}};
  }
  TempDir dir;
  std::string firmware;
};

TEST_F(FilePolicy, ATargetTheCallerMayNotWriteIsRefusedAndUntouched) {
  // Root, whom access() never refuses: a file with no write bit at all.
  for (const auto& [name, args] : writers()) {
    const std::string target = dir.write("ro-" + name, std::string("read only"));
    ::chmod(target.c_str(), 0444);
    std::vector<std::string> a = args;
    a.push_back(target);
    const ProgramRun run = zorbelctl(a, dir);
    EXPECT_EQ(run.status, 4) << name;
    EXPECT_NE(run.err.find("Permission denied"), std::string::npos) << name << ": " << run.err;
    EXPECT_EQ(readFile(target), "read only") << name;
  }
  std::string why;
  if (!canSwitchUser(why)) GTEST_SKIP() << "ordinary-user cases skipped: " << why;

  // An ordinary user's own read-only file.
  const std::string mine = dir.write("mine.cfg", std::string("[Radio]\r\nCallsign=MINE\r\n"));
  ::chown(mine.c_str(), 65534, 65534);
  ::chmod(mine.c_str(), 0444);
  ProgramRun run = asUser({"--set", "Callsign=X", "save", mine});
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_EQ(run.err, "zorbelctl: Unable to write to " + mine + ": Permission denied\n");
  EXPECT_EQ(readFile(mine), "[Radio]\r\nCallsign=MINE\r\n");

  // Another user's 0644 file in a folder the group shares.
  ::chown(dir.path().c_str(), 0, kSharedGroup);
  ::chmod(dir.path().c_str(), 0775);
  const std::string theirs = dir.write("theirs.cfg", std::string("[Radio]\r\nCallsign=THEIRS\r\n"));
  ::chown(theirs.c_str(), kOtherUser, kSharedGroup);
  ::chmod(theirs.c_str(), 0644);
  run = asUser({"--set", "Callsign=X", "save", theirs}, true);
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_NE(run.err.find("Permission denied"), std::string::npos) << run.err;
  EXPECT_EQ(readFile(theirs), "[Radio]\r\nCallsign=THEIRS\r\n");
  EXPECT_EQ(statOf(theirs).uid, kOtherUser);
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(FilePolicy, AnExistingTargetKeepsOwnerGroupModeAclAndAttributes) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the target another owner";
  // Root saving a user's file: it stays the user's, with its ACL and attributes.
  const std::string path = dir.write("x.cfg", std::string("[Radio]\r\nCallsign=OLD\r\n"));
  ::chown(path.c_str(), kOtherUser, kSharedGroup);
  ::chmod(path.c_str(), 0640);
  const std::string acl = aclBytes();
  if (::setxattr(path.c_str(), "user.origin", "field day", 9, 0) != 0 ||
      ::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
    GTEST_SKIP() << "the file system here takes no extended attributes or ACLs: "
                 << std::strerror(errno);
  const Stat before = statOf(path);
  const std::string aclBefore = xattr(path, "system.posix_acl_access");
  for (const auto& [name, args] : writers()) {
    std::vector<std::string> a = args;
    a.push_back(path);
    const ProgramRun run = zorbelctl(a, dir);
    ASSERT_EQ(run.status, 0) << name << ": " << run.err;
    const Stat after = statOf(path);
    EXPECT_EQ(after.uid, kOtherUser) << name;
    EXPECT_EQ(after.gid, kSharedGroup) << name;
    EXPECT_EQ(after.mode, before.mode) << name;
    EXPECT_EQ(xattr(path, "user.origin"), "field day") << name;
    EXPECT_EQ(xattr(path, "system.posix_acl_access"), aclBefore) << name;
  }

  std::string why;
  if (!canSwitchUser(why)) GTEST_SKIP() << "group-member case skipped: " << why;
  // A member of the file's group saves the group-writable file of another member.
  ::chown(dir.path().c_str(), 0, kSharedGroup);
  ::chmod(dir.path().c_str(), 0775);
  const std::string shared = dir.write("shared.cfg", std::string("[Radio]\r\nCallsign=OLD\r\n"));
  ::chown(shared.c_str(), kOtherUser, kSharedGroup);
  ::chmod(shared.c_str(), 0664);
  const ProgramRun run = asUser({"--set", "Callsign=MEMBER", "save", shared}, true);
  ASSERT_EQ(run.status, 0) << run.err;
  const Stat after = statOf(shared);
  EXPECT_EQ(after.uid, kOtherUser);
  EXPECT_EQ(after.gid, kSharedGroup);
  EXPECT_EQ(after.mode, 0664u);
  EXPECT_NE(readFile(shared).find("Callsign=MEMBER"), std::string::npos);
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(FilePolicy, HardLinksSeeTheNewContentAndAFailedWriteKeepsTheOld) {
  for (const auto& [name, args] : writers()) {
    SCOPED_TRACE(name);
    const std::string old = "small old content";
    const std::string path = dir.write("a-" + name, old);
    const std::string link = dir.path("b-" + name);
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    std::vector<std::string> a = args;
    a.push_back(path);
    // Larger than 1024 bytes: the file size limit stops the rewrite part-way.
    ProgramRun run = zorbelctl(a, dir, "trap '' XFSZ; ulimit -f 2;");
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(readFile(link), old);

    run = zorbelctl(a, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(readFile(link), old);
    EXPECT_EQ(readFile(link), readFile(path));
    EXPECT_EQ(statOf(path).links, 2u);
  }
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(FilePolicy, AWritableFileInAReadOnlyFolderIsRewrittenInPlace) {
  // Root writes in any folder: the saves then run as nobody, in a folder of root's.
  const bool root = ::geteuid() == 0;
  std::string why;
  if (root && !canSwitchUser(why)) GTEST_SKIP() << why;
  const auto save = [&](const std::string& target, const std::string& shellPrefix = {}) {
    const std::vector<std::string> args{"--set", "Callsign=NEW1", "save", target};
    return root ? asUser(args, false, shellPrefix) : zorbelctl(args, dir, shellPrefix);
  };
  const std::string old = "[Radio]\r\nCallsign=OLD\r\n; a line of theirs\r\n";
  const std::string path = dir.write("a.cfg", old);
  if (root) ::chown(path.c_str(), 65534, 65534);
  ::chmod(path.c_str(), 0640);
  ::chmod(dir.path().c_str(), 0555);
  const Stat before = statOf(path);

  // The new content is larger than 2 KiB: the size limit stops the rewrite part-way.
  ProgramRun run = save(path, "trap '' XFSZ; ulimit -f 2;");
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
  EXPECT_EQ(readFile(path), old);

  run = save(path);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string saved = readFile(path);
  EXPECT_NE(saved.find("Callsign=NEW1\r\n"), std::string::npos);
  EXPECT_NE(saved.find("; a line of theirs\r\n"), std::string::npos);
  const Stat after = statOf(path);
  EXPECT_EQ(after.ino, before.ino);
  EXPECT_EQ(after.mode, 0640u);
  EXPECT_EQ(after.uid, before.uid);

  // A new file cannot be made there at all, and the message says why.
  const std::string fresh = dir.path("new.cfg");
  run = save(fresh);
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.err, "zorbelctl: Unable to write to " + fresh +
                         ": cannot create a temporary file in " + dir.path() +
                         ": Permission denied\n");
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(FilePolicy, EveryWriterFollowsASymbolicLinkAndKeepsIt) {
  for (const auto& [name, args] : writers()) {
    SCOPED_TRACE(name);
    fs::create_directory(dir.path("real-" + name));
    const std::string real = dir.write("real-" + name + "/file", std::string("old"));
    fs::create_symlink("real-" + name + "/file", dir.path("link-" + name));
    fs::create_symlink("real-" + name + "/new", dir.path("dangling-" + name));
    for (const std::string& link : {dir.path("link-" + name), dir.path("dangling-" + name)}) {
      std::vector<std::string> a = args;
      a.push_back(link);
      const ProgramRun run = zorbelctl(a, dir);
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_TRUE(fs::is_symlink(link));
    }
    EXPECT_NE(readFile(real), "old");
    EXPECT_TRUE(fs::is_regular_file(dir.path("real-" + name + "/new")));
  }
}

TEST_F(FilePolicy, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten) {
  const std::string original = readFile(firmware);
  fs::create_symlink("fw.hash", dir.path("alias.hash"));
  for (const std::string& out : {firmware, dir.path("alias.hash")}) {
    const ProgramRun run = zorbelctl({"ruf", firmware, out}, dir);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "Could not open destination file. (it is the input " + firmware + ")\n");
    EXPECT_EQ(readFile(firmware), original);
  }
  // The arguments the wrong way round: a remote update file as the firmware.
  ASSERT_EQ(zorbelctl({"ruf", firmware, dir.path("out.ruf")}, dir).status, 0);
  const ProgramRun run = zorbelctl({"ruf", dir.path("out.ruf"), firmware}, dir);
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.err.find("is a remote update file, not a firmware hash file"), std::string::npos)
      << run.err;
  EXPECT_EQ(readFile(firmware), original);
}

TEST_F(FilePolicy, TemporariesFitTheFolderAndGoWithASignal) {
  // A 250-character name: the temporary's name fits too.
  const std::string longName = dir.path(std::string(246, 'n') + ".cfg");
  ProgramRun run = zorbelctl({"save", longName}, dir);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(leftovers().empty());

  if (!fs::exists("/usr/bin/strace"))
    GTEST_SKIP() << "signal cases skipped: strace is not installed";
  const std::string path = dir.write("secret.cfg", std::string("[Radio]\r\nCallsign=OLD\r\n"));
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    // strace stops the save just before the temporary gets the target's
    // owner: the temporary then holds every setting, passwords included.
    test::RunningProgram save({"/usr/bin/strace", "-o", "/dev/null", "-e", "trace=fchown", "-e",
                               "inject=fchown:signal=SIGSTOP", ZORBELCTL_PATH, "--set",
                               "Aprsis_pass=12345", "save", path});
    const std::string task =
        "/proc/" + std::to_string(save.pid()) + "/task/" + std::to_string(save.pid());
    std::string pid;
    ASSERT_TRUE(eventually([&] {
      std::ifstream children(task + "/children");
      // Stopped once the content is in (it was registered for removal before).
      std::error_code ec;
      if (leftovers().empty() || fs::file_size(dir.path(leftovers().front()), ec) + 1 <= 1 ||
          !(children >> pid))
        return false;
      std::ifstream stat("/proc/" + pid + "/stat");
      std::string line;
      std::getline(stat, line);
      return line.size() > line.rfind(')') + 2 && (line[line.rfind(')') + 2] | 0x20) == 't';
    }));
    ASSERT_EQ(leftovers().size(), 1u);
    EXPECT_EQ(statOf(dir.path(leftovers().front())).mode, 0600u);
    ::kill(std::stoi(pid), sig);
    // Stopped at the system call or by the injected stop: it goes on either way.
    int status = 0;
    ASSERT_TRUE(eventually([&] { return ::kill(std::stoi(pid), SIGCONT), save.ended(status); }));
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(readFile(path), "[Radio]\r\nCallsign=OLD\r\n");
  }
}

TEST_F(FilePolicy, TwoSavesToOneFileTakeTurnsAndKeepEachOthersLines) {
  const std::string path = dir.write("both.cfg", std::string("[Radio]\r\nCallsign=OLD\r\n"));
  // Another writer holds the folder's lock while it adds a line of its own.
  const int lock = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  test::RunningProgram save({ZORBELCTL_PATH, "--set", "Callsign=SECOND", "save", path});
  // Wait until the save waits for the lock.
  ASSERT_TRUE(eventually([&] {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);)
      if (line.find("-> FLOCK") != std::string::npos &&
          line.find(" " + std::to_string(save.pid()) + " ") != std::string::npos)
        return true;
    return false;
  }));
  test::writeFile(path, "[Mine]\r\nnote=kept\r\n[Radio]\r\nCallsign=FIRST\r\n");
  ::flock(lock, LOCK_UN);
  ::close(lock);
  int status = 0;
  ASSERT_TRUE(eventually([&] { return save.ended(status); }));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string saved = readFile(path);
  EXPECT_EQ(saved.rfind("[Mine]\r\nnote=kept\r\n[Radio]\r\nCallsign=SECOND\r\n", 0), 0u) << saved;
}

}  // namespace
}  // namespace zorbel::faults
