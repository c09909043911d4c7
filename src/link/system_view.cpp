#include "system_view.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/terminal_text.h"

namespace zorbel::link {

namespace fs = std::filesystem;

SystemView SystemView::current() {
  SystemView view;
  view.uid = ::geteuid();
  if (const passwd* pw = ::getpwuid(view.uid)) view.userName = pw->pw_name;
  const int count = ::getgroups(0, nullptr);
  if (count > 0) {
    view.sessionGroups.resize(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, view.sessionGroups.data());
    view.sessionGroups.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  }
  view.sessionGroups.push_back(::getegid());
  return view;
}

std::string SystemView::at(const std::string& path) const {
  if (root.empty() || root == "/") return path;
  return (root.back() == '/' ? root.substr(0, root.size() - 1) : root) + path;
}

std::optional<std::string> SystemView::firstLine(const std::string& path) const {
  std::ifstream in(at(path));
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  return line;
}

namespace {

bool allDigits(const std::string& s) {
  return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string::npos;
}

// The device a path names as the system sees it: a by-id link resolved, the
// root taken off again.
std::string resolvedDevice(const SystemView& view, const std::string& devicePath) {
  std::error_code ec;
  const fs::path real = fs::canonical(view.at(devicePath), ec);
  if (ec) return devicePath;
  const std::string prefix = view.at("");
  std::string s = real.string();
  if (!prefix.empty() && s.rfind(prefix, 0) == 0) s = s.substr(prefix.size());
  return s;
}

std::vector<std::string> openFiles(const SystemView& view, int pid) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& fd :
       fs::directory_iterator(view.at("/proc/" + std::to_string(pid) + "/fd"), ec)) {
    std::error_code rec;
    const fs::path target = fs::read_symlink(fd.path(), rec);
    if (!rec) files.push_back(target.string());
  }
  return files;
}

}  // namespace

std::vector<Process> runningProcesses(const SystemView& view) {
  std::vector<Process> list;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(view.at("/proc"), ec)) {
    const std::string name = entry.path().filename().string();
    if (!allDigits(name)) continue;
    const int pid = std::stoi(name);
    list.push_back({pid, programOf(view, pid)});
  }
  return list;
}

bool isRunning(const SystemView& view, const std::string& program) {
  for (const Process& p : runningProcesses(view))
    if (p.program == program) return true;
  return false;
}

bool processLives(const SystemView& view, int pid) {
  if (pid <= 0) return false;
  std::error_code ec;
  if (view.root == "/" || view.root.empty()) return ::kill(pid, 0) == 0 || errno == EPERM;
  return fs::exists(view.at("/proc/" + std::to_string(pid)), ec);
}

std::string programOf(const SystemView& view, int pid) {
  return escapedForTerminal(view.firstLine("/proc/" + std::to_string(pid) + "/comm").value_or("?"));
}

std::vector<Process> processesHolding(const SystemView& view, const std::string& devicePath) {
  const std::string device = resolvedDevice(view, devicePath);
  const bool pseudoTerminal = device.rfind("/dev/pts/", 0) == 0;
  std::vector<Process> holders;
  for (const Process& p : runningProcesses(view)) {
    bool holds = false;
    bool master = false;
    for (const std::string& file : openFiles(view, p.pid)) {
      holds = holds || file == device;
      master = master || file == "/dev/ptmx" || file == "/dev/pts/ptmx";
    }
    if (holds && !(pseudoTerminal && master)) holders.push_back(p);
  }
  return holders;
}

namespace {

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, ':')) out.push_back(field);
  if (!line.empty() && line.back() == ':') out.emplace_back();
  return out;
}

}  // namespace

std::optional<GroupEntry> groupById(const SystemView& view, gid_t gid) {
  std::ifstream in(view.at("/etc/group"));
  std::string line;
  while (std::getline(in, line)) {
    const auto f = fields(line);
    if (f.size() < 4 || !allDigits(f[2]) || std::stoul(f[2]) != gid) continue;
    GroupEntry entry{escapedForTerminal(f[0]), gid, {}};
    std::stringstream members(f[3]);
    std::string member;
    while (std::getline(members, member, ','))
      if (!member.empty()) entry.members.push_back(member);
    return entry;
  }
  return std::nullopt;
}

std::optional<gid_t> primaryGroupOf(const SystemView& view, const std::string& user) {
  std::ifstream in(view.at("/etc/passwd"));
  std::string line;
  while (std::getline(in, line)) {
    const auto f = fields(line);
    if (f.size() >= 4 && f[0] == user && allDigits(f[3]))
      return static_cast<gid_t>(std::stoul(f[3]));
  }
  return std::nullopt;
}

}  // namespace zorbel::link
