// Port names: the serial ports present (COM1..COM9 for /dev/ttyS0..8), the simulator.
#include <cstdlib>

#include "device_link.h"
#include "port_survey.h"
#include "simulator_link.h"

namespace zorbel::link {

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

std::vector<PortInfo> DeviceLink::offeredPorts() {
  const SystemView view = SystemView::current();
  std::vector<PortInfo> ports = presentPorts(view);
  for (PortInfo& port : ports) port.path = offeredName(port);
  const std::string sim = simulatorLinkPath();
  // Only while a living simulator holds it: a link left behind can name a
  // terminal that someone else has opened since.
  if (SimulatorLink::held(sim)) {
    PortInfo port = describePort(view, sim);
    if (port.access != PortAccess::Missing) ports.push_back(port);
  }
  return ports;
}

std::vector<std::string> DeviceLink::portNames() {
  std::vector<std::string> names;
  for (const PortInfo& port : offeredPorts()) names.push_back(port.path);
  return names;
}

}  // namespace zorbel::link
