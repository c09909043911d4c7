// ruf: not built yet.
#include <iostream>

#include "ctl.h"

namespace zorbel::ctl {

int cmdRuf(Context&, const Args&) {
  std::cerr << "zorbelctl: ruf is not built yet\n";
  return kExitUsage;
}

}  // namespace zorbel::ctl
