#pragma once
// Temporary files beside a target, removed when the program is stopped by
// SIGINT, SIGTERM or SIGHUP, and those signals held while a target is half
// rewritten.
#include <signal.h>

#include <string>

namespace zorbel::file_detail {

// ".NAME.tmp-XXXXXX" beside the target (a pattern for mkostemp), NAME cut to
// 64 bytes (never inside a UTF-8 character), so the temporary's name fits
// wherever the target's does.
std::string temporaryPattern(const std::string& target);

struct TemporarySlot;

// Registers a temporary file for removal should a stop signal arrive before
// forget() or the end of its life. The first one installs the handlers, for
// the signals still at their default only: an ignored SIGHUP stays ignored,
// and a handler the program set stays its own.
class PendingTemporary {
 public:
  explicit PendingTemporary(const std::string& path);
  ~PendingTemporary() { forget(); }
  PendingTemporary(const PendingTemporary&) = delete;
  PendingTemporary& operator=(const PendingTemporary&) = delete;

  // While the target is rewritten in place the temporary is its backup: a
  // signal must not remove it.
  void keepOnSignal();
  void forget();

 private:
  TemporarySlot* slot_ = nullptr;
};

// Holds SIGINT, SIGTERM and SIGHUP for this thread while the target is half
// rewritten; they arrive when it is whole again.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

}  // namespace zorbel::file_detail
