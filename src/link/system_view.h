#pragma once
// What the port list and the port doctor look at: the files of a system under
// a root folder ("/" for this machine; a fake tree in the tests), and who asks
// (the user and this session's groups). Nothing here opens a port.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zorbel::link {

struct SystemView {
  std::string root = "/";
  uid_t uid = 0;
  std::string userName;
  std::vector<gid_t> sessionGroups;  // the groups this process runs with

  // This machine, as this process sees it.
  static SystemView current();

  // `path` ("/dev/ttyUSB0") as a file under the root.
  std::string at(const std::string& path) const;
  // The first line of a file under the root, or nothing.
  std::optional<std::string> firstLine(const std::string& path) const;
};

struct Process {
  int pid = 0;
  std::string program;  // from /proc/PID/comm, escaped
};

// The running processes (those whose /proc entries can be read).
std::vector<Process> runningProcesses(const SystemView& view);
bool isRunning(const SystemView& view, const std::string& program);
bool processLives(const SystemView& view, int pid);
std::string programOf(const SystemView& view, int pid);

// The processes that have `devicePath` (as found under the root) open. A
// process that also holds a pseudo-terminal's master side is that line's
// other end (a simulator, a terminal emulator) and is left out.
std::vector<Process> processesHolding(const SystemView& view, const std::string& devicePath);

struct GroupEntry {
  std::string name;
  gid_t gid = 0;
  std::vector<std::string> members;
};
std::optional<GroupEntry> groupById(const SystemView& view, gid_t gid);
// The primary group of `user` in /etc/passwd under the root.
std::optional<gid_t> primaryGroupOf(const SystemView& view, const std::string& user);

}  // namespace zorbel::link
