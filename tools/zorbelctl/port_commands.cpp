// ports: the serial ports present, or the given ones, and their state.
// find: the ports where the device answers.
#include <iostream>

#include "common/terminal_text.h"
#include "ctl.h"
#include "link/device_finder.h"
#include "link/device_link.h"
#include "link/port_survey.h"
#include "link/simulator_link.h"
#include "link/system_view.h"

namespace zorbel::ctl {

namespace {

void printPort(const link::PortInfo& port) {
  std::cout << escapedForTerminal(port.path) << '\t' << port.description() << '\t' << port.state()
            << '\n';
}

}  // namespace

int cmdPorts(Context& /*ctx*/, const Args& args) {
  const link::SystemView view = link::SystemView::current();
  if (args.empty()) {
    for (const link::PortInfo& port : link::presentPorts(view)) printPort(port);
    const std::string simLink = link::DeviceLink::simulatorLinkPath();
    if (link::SimulatorLink::held(simLink)) printPort(link::describePort(view, simLink));
  }
  for (const std::string& name : args) {
    link::PortInfo port = link::describePort(view, link::DeviceLink::devicePath(name));
    port.path = name;
    printPort(port);
  }
  std::cout.flush();
  return std::cout ? kExitOk : exitStatus(ErrorKind::WriteFailed);
}

int cmdFind(Context& /*ctx*/, const Args& args) {
  const link::SystemView view = link::SystemView::current();
  const std::vector<std::string> ports = args.empty() ? link::portsToSearch() : args;
  const std::vector<std::string> found = link::findDevice(view, ports);
  if (found.empty()) {
    std::string tried;
    for (const std::string& port : ports) tried += (tried.empty() ? "" : ", ") + port;
    std::cerr << "No device answered on: "
              << escapedForTerminal(tried.empty() ? "(no ready port)" : tried) << "\n";
    return exitStatus(ErrorKind::NoAnswer);
  }
  for (const std::string& port : found)
    std::cout << escapedForTerminal(link::DeviceLink::devicePath(port)) << '\n';
  std::cout.flush();
  return std::cout ? kExitOk : exitStatus(ErrorKind::WriteFailed);
}

}  // namespace zorbel::ctl
