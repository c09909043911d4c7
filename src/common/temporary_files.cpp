#include "common/temporary_files.h"

#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>

namespace zorbel::file_detail {

// A fixed table the handler walks without allocating or locking.
enum SlotState : int { kFree, kFilling, kRemoveOnSignal, kKeepOnSignal };
struct TemporarySlot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};

namespace {

TemporarySlot gSlots[8];
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeTemporariesAndStop(int sig) {
  for (TemporarySlot& slot : gSlots)
    if (slot.state.load() == kRemoveOnSignal) ::unlink(slot.path);
  ::signal(sig, SIG_DFL);
  ::raise(sig);  // delivered when the handler returns: the program ends as the signal asked
}

void installCleanupHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const int sig : kCleanupSignals) {
      struct sigaction old {};
      if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = removeTemporariesAndStop;
      ::sigemptyset(&action.sa_mask);
      for (const int other : kCleanupSignals) ::sigaddset(&action.sa_mask, other);
      ::sigaction(sig, &action, nullptr);
    }
  });
}

}  // namespace

std::string temporaryPattern(const std::string& target) {
  const auto slash = target.rfind('/');
  const std::string prefix =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.size() > 64) {
    std::size_t cut = 64;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return prefix + "." + name + ".tmp-XXXXXX";
}

PendingTemporary::PendingTemporary(const std::string& path) {
  installCleanupHandlers();
  if (path.size() >= PATH_MAX) return;
  for (TemporarySlot& slot : gSlots) {
    int expected = kFree;
    if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.state.store(kRemoveOnSignal);
    slot_ = &slot;
    return;
  }
}

void PendingTemporary::keepOnSignal() {
  if (slot_ != nullptr) slot_->state.store(kKeepOnSignal);
}

void PendingTemporary::forget() {
  if (slot_ != nullptr) slot_->state.store(kFree);
  slot_ = nullptr;
}

SignalsHeld::SignalsHeld() {
  sigset_t set;
  ::sigemptyset(&set);
  for (const int sig : kCleanupSignals) ::sigaddset(&set, sig);
  ::pthread_sigmask(SIG_BLOCK, &set, &old_);
}

SignalsHeld::~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

}  // namespace zorbel::file_detail
