// write, read and upload: not built yet.
#include <iostream>

#include "ctl.h"

namespace zorbel::ctl {

static int notYet(const char* what) {
  std::cerr << "zorbelctl: " << what << " is not built yet\n";
  return kExitUsage;
}

int cmdWrite(Context&, const Args&) { return notYet("write"); }
int cmdRead(Context&, const Args&) { return notYet("read"); }
int cmdUpload(Context&, const Args&) { return notYet("upload"); }

}  // namespace zorbel::ctl
