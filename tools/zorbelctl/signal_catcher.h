#pragma once
// SIGINT, SIGTERM and SIGHUP become a call while a link command runs, so that
// the command closes its port before it exits. The signals are blocked in
// every thread started meanwhile and taken by one of the catcher's own. A
// signal its starter set to be ignored (nohup, a script's background job)
// stays ignored. SIGPIPE is ignored meanwhile: a reader that went away fails
// the output instead, and the command raises it once the port is closed.
#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

namespace zorbel::ctl {

class SignalCatcher {
 public:
  // `caught` runs on the catcher's thread, once, for the first signal.
  explicit SignalCatcher(std::function<void(int)> caught);
  // A signal that comes later is delivered as usual.
  ~SignalCatcher();
  SignalCatcher(const SignalCatcher&) = delete;
  SignalCatcher& operator=(const SignalCatcher&) = delete;

 private:
  sigset_t set_{};
  sigset_t previous_{};
  void (*previousPipe_)(int) = SIG_DFL;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace zorbel::ctl
