#include "signal_catcher.h"

#include <pthread.h>

#include <csignal>
#include <ctime>

#include "common/stop_signals.h"

namespace zorbel::ctl {

SignalCatcher::SignalCatcher(std::function<void(int)> caught) {
  sigemptyset(&set_);
  for (const int sig : stopSignalsNotIgnored()) sigaddset(&set_, sig);
  previousPipe_ = std::signal(SIGPIPE, SIG_IGN);
  pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  thread_ = std::thread([this, caught = std::move(caught)] {
    const timespec tick{0, 50'000'000};
    while (!stop_.load()) {
      const int sig = sigtimedwait(&set_, nullptr, &tick);
      if (sig > 0) {
        caught(sig);
        return;
      }
    }
  });
}

SignalCatcher::~SignalCatcher() {
  stop_.store(true);
  thread_.join();
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  std::signal(SIGPIPE, previousPipe_);
}

}  // namespace zorbel::ctl
