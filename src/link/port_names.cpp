// Port names: the COM items, the USB serial devices present, the simulator.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "device_link.h"
#include "simulator_link.h"

namespace zorbel::link {

namespace fs = std::filesystem;

std::string DeviceLink::devicePath(const std::string& portName) {
  if (portName.size() == 4 && portName.compare(0, 3, "COM") == 0 && portName[3] >= '1' &&
      portName[3] <= '9')
    return "/dev/ttyS" + std::string(1, static_cast<char>(portName[3] - 1));
  return portName;
}

std::string DeviceLink::simulatorLinkPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string dir = runtime && *runtime ? runtime : "/tmp";
  return dir + "/zorbel-sim";
}

namespace {

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

}  // namespace

std::vector<std::string> DeviceLink::portNames() {
  std::vector<std::string> names;
  for (char c = '1'; c <= '9'; ++c) names.push_back(std::string("COM") + c);

  std::error_code ec;
  std::map<std::string, std::string> byId;  // /dev/ttyUSB0 -> /dev/serial/by-id/usb-...
  for (const auto& entry : fs::directory_iterator("/dev/serial/by-id", ec)) {
    const fs::path target = fs::canonical(entry.path(), ec);
    if (!ec) byId.emplace(target.string(), entry.path().string());
  }

  std::vector<std::string> devices;
  for (const auto& entry : fs::directory_iterator("/dev", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0)
      devices.push_back(entry.path().string());
  }
  std::sort(devices.begin(), devices.end(), deviceOrder);
  for (const auto& device : devices) {
    auto it = byId.find(device);
    names.push_back(it != byId.end() ? it->second : device);
  }

  struct stat st {};
  const std::string sim = simulatorLinkPath();
  // Only while a living simulator holds it: a link left behind can name a
  // terminal that someone else has opened since.
  if (::stat(sim.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && SimulatorLink::held(sim))
    names.push_back(sim);
  return names;
}

}  // namespace zorbel::link
