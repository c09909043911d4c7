#pragma once
// The port doctor: when a port will not open, say why and what fixes it, from
// what the system shows (the device node, the user's groups, the programs
// holding the port, lock files, brltty and ModemManager).
#include <string>

#include "system_view.h"

namespace zorbel::link {

// The diagnosis for `path` whose open failed with `openError` (an errno), one
// finding a line, in this order: no such device, permission denied, in use,
// brltty, ModemManager. Empty when nothing is found to say.
std::string diagnosePort(const SystemView& view, const std::string& path, int openError);

}  // namespace zorbel::link
