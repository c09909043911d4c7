// ports: the serial ports present, or the given ones, and their state.
#include <iostream>

#include "ctl.h"
#include "link/device_link.h"
#include "link/port_survey.h"
#include "link/system_view.h"

namespace zorbel::ctl {

namespace {

void printPort(const link::PortInfo& port) {
  std::cout << link::printable(port.path) << '\t' << port.description() << '\t' << port.state()
            << '\n';
}

}  // namespace

int cmdPorts(Context& /*ctx*/, const Args& args) {
  const link::SystemView view = link::SystemView::current();
  if (args.empty()) {
    for (const link::PortInfo& port : link::presentPorts(view)) printPort(port);
    const link::PortInfo sim = link::describePort(view, link::DeviceLink::simulatorLinkPath());
    if (sim.access != link::PortAccess::Missing) printPort(sim);
  }
  for (const std::string& name : args) {
    link::PortInfo port = link::describePort(view, link::DeviceLink::devicePath(name));
    port.path = name;
    printPort(port);
  }
  std::cout.flush();
  return std::cout ? kExitOk : kExitFile;
}

}  // namespace zorbel::ctl
