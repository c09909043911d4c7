// --config and save: not built yet.
#include <iostream>

#include "ctl.h"

namespace zorbel::ctl {

int applyConfig(Context&, const std::string&) {
  std::cerr << "zorbelctl: --config is not built yet\n";
  return kExitUsage;
}

int cmdSave(Context&, const Args&) {
  std::cerr << "zorbelctl: save is not built yet\n";
  return kExitUsage;
}

}  // namespace zorbel::ctl
