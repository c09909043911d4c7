#pragma once
// SIGINT, SIGTERM and SIGHUP ask a program to stop. One that whoever started
// the program set to be ignored (nohup, a background job of a script) was
// meant to be, and stays ignored: a program takes over only the others.
#include <signal.h>

#include <vector>

namespace zorbel {

// The stop signals whose disposition is not SIG_IGN now; asked before the
// program changes any of them, that is what its starter left.
inline std::vector<int> stopSignalsNotIgnored() {
  std::vector<int> taken;
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction now {};
    if (::sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_IGN) continue;
    taken.push_back(sig);
  }
  return taken;
}

}  // namespace zorbel
