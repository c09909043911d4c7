#include "port_survey.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "common/terminal_text.h"

namespace zorbel::link {

namespace fs = std::filesystem;

namespace {

std::string baseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string withoutRoot(const SystemView& view, const std::string& path) {
  const std::string prefix = view.at("");
  return !prefix.empty() && path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : path;
}

// ttyUSB10 after ttyUSB9: by prefix, then by number.
bool deviceOrder(const std::string& a, const std::string& b) {
  auto split = [](const std::string& s) {
    std::size_t i = s.size();
    while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9') --i;
    const long n = i < s.size() ? std::strtol(s.c_str() + i, nullptr, 10) : -1;
    return std::make_pair(s.substr(0, i), n);
  };
  return split(a) < split(b);
}

// A 16550-style port the kernel registered without finding a UART says type 0.
bool hasUart(const SystemView& view, const std::string& name) {
  std::error_code ec;
  if (!fs::exists(view.at("/sys/class/tty/" + name + "/device"), ec)) return false;
  const auto type = view.firstLine("/sys/class/tty/" + name + "/type");
  return !type || *type != "0";
}

void readUsbFacts(const SystemView& view, PortInfo& info) {
  const std::string name = baseName(info.device);
  std::error_code ec;
  const fs::path device = fs::canonical(view.at("/sys/class/tty/" + name + "/device"), ec);
  if (ec) return;
  // The driver is the nearest one above the port that is more than the kernel's
  // serial core ("port", "ctrl"); the USB device is the nearest folder with an idVendor.
  for (fs::path dir = device; dir.has_relative_path() && dir != dir.parent_path();
       dir = dir.parent_path()) {
    const std::string d = withoutRoot(view, dir.string());
    if (info.driver.empty() || info.driver == "port" || info.driver == "ctrl") {
      std::error_code dec;
      const fs::path driver = fs::read_symlink(dir / "driver", dec);
      if (!dec) info.driver = escapedForTerminal(driver.filename().string());
    }
    if (const auto vendor = view.firstLine(d + "/idVendor")) {
      info.vendorId = escapedForTerminal(*vendor);
      info.productId = escapedForTerminal(view.firstLine(d + "/idProduct").value_or(""));
      info.serial = escapedForTerminal(view.firstLine(d + "/serial").value_or(""));
      info.product = escapedForTerminal(view.firstLine(d + "/product").value_or(""));
      return;
    }
  }
}

std::string findById(const SystemView& view, const std::string& device) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(view.at("/dev/serial/by-id"), ec)) {
    std::error_code cec;
    const fs::path target = fs::canonical(entry.path(), cec);
    if (!cec && withoutRoot(view, target.string()) == device)
      return escapedForTerminal(withoutRoot(view, entry.path().string()));
  }
  return {};
}

int lockPid(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto start = text.find_first_not_of(" \t");
  if (start != std::string::npos && text[start] >= '0' && text[start] <= '9') {
    const long pid = std::strtol(text.c_str() + start, nullptr, 10);
    return pid > 0 && pid < (1L << 22) ? static_cast<int>(pid) : 0;
  }
  if (text.size() == 4) {  // the old binary form: the pid as a native int
    int pid = 0;
    std::copy(text.begin(), text.end(), reinterpret_cast<char*>(&pid));
    return pid > 0 ? pid : 0;
  }
  return 0;
}

}  // namespace

std::vector<LockFile> lockFilesFor(const SystemView& view, const std::string& device) {
  std::vector<LockFile> locks;
  std::vector<fs::path> seen;
  for (const char* dir : {"/run/lock", "/var/lock"}) {
    const std::string path = std::string(dir) + "/LCK.." + baseName(device);
    std::error_code ec;
    const fs::path real = fs::canonical(view.at(path), ec);
    if (ec || std::find(seen.begin(), seen.end(), real) != seen.end()) continue;
    seen.push_back(real);
    LockFile lock{path, lockPid(real.string()), false};
    lock.lives = processLives(view, lock.pid);
    locks.push_back(lock);
  }
  return locks;
}

bool mayOpen(const SystemView& view, uid_t owner, gid_t group, unsigned mode) {
  if (view.uid == 0) return true;
  if (owner == view.uid) return (mode & 0600) == 0600;
  if (std::find(view.sessionGroups.begin(), view.sessionGroups.end(), group) !=
      view.sessionGroups.end())
    return (mode & 0060) == 0060;
  return (mode & 0006) == 0006;
}

PortInfo describePort(const SystemView& view, const std::string& path) {
  PortInfo info;
  info.path = path;
  std::error_code ec;
  const fs::path real = fs::canonical(view.at(path), ec);
  info.device = ec ? path : withoutRoot(view, real.string());
  struct stat st {};
  if (ec || ::stat(real.c_str(), &st) != 0) return info;  // Missing
  readUsbFacts(view, info);
  info.byId = findById(view, info.device);
  if (!mayOpen(view, st.st_uid, st.st_gid, st.st_mode)) {
    info.access = PortAccess::NoPermission;
    return info;
  }
  for (const LockFile& lock : lockFilesFor(view, info.device))
    if (lock.lives) info.lockOwner = lock.pid;
  info.holders = processesHolding(view, info.device);
  if (info.holders.empty() && info.lockOwner)
    info.holders.push_back({info.lockOwner, programOf(view, info.lockOwner)});
  info.access = info.lockOwner || !info.holders.empty() ? PortAccess::InUse : PortAccess::Ready;
  return info;
}

std::vector<PortInfo> presentPorts(const SystemView& view) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(view.at("/dev"), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0 ||
        (name.rfind("ttyS", 0) == 0 && hasUart(view, name)))
      names.push_back(name);
  }
  std::sort(names.begin(), names.end(), deviceOrder);
  std::vector<PortInfo> ports;
  for (const std::string& name : names) ports.push_back(describePort(view, "/dev/" + name));
  return ports;
}

std::string offeredName(const PortInfo& port) {
  const std::string serial = "/dev/ttyS";
  if (port.device.size() == serial.size() + 1 && port.device.rfind(serial, 0) == 0 &&
      port.device.back() >= '0' && port.device.back() <= '8')
    return "COM" + std::string(1, static_cast<char>(port.device.back() + 1));
  return port.byId.empty() ? port.path : port.byId;
}

std::string PortInfo::description() const {
  std::string text = driver;
  auto add = [&text](const std::string& part) {
    if (part.empty()) return;
    if (!text.empty()) text += ' ';
    text += part;
  };
  if (!vendorId.empty()) add(vendorId + ":" + productId);
  if (!product.empty()) add(product);
  if (!serial.empty()) add("serial " + serial);
  if (!byId.empty()) add("(" + byId + ")");
  if (text.empty() && device.rfind("/dev/pts/", 0) == 0) text = "pseudo-terminal";
  return text;
}

std::string PortInfo::state() const {
  switch (access) {
    case PortAccess::Ready:
      return "ready";
    case PortAccess::NoPermission:
      return "no permission";
    case PortAccess::Missing:
      return "missing";
    case PortAccess::InUse:
      break;
  }
  if (holders.empty()) return "in use";
  return "in use by " + holders.front().program + " (pid " + std::to_string(holders.front().pid) +
         ")";
}

}  // namespace zorbel::link
