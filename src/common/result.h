#pragma once
// The one result type of the core libraries: success with a value, or an
// Error that says what failed, the system's own message and the operating
// system's reason, and the facts a front end acts on (the failing setting,
// the device's version, a hint) as fields of their own, so nobody reads them
// back out of a message. The core never chooses a message box title or an exit
// status; the windows and zorbelctl map an Error's kind to those.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "common/programming_error.h"

namespace zorbel {

enum class ErrorKind {
  Range,           // a value outside its setting's range: message is the range message
  Conversion,      // "'%s' is not a valid integer value"
  Version,         // a configuration image or file of another version
  UnknownSetting,  // a control name no setting has
  TooLong,         // a text or file longer than allowed
  CannotRead,      // a file or port that cannot be opened or read
  ShortRead,       // a file whose read failed part-way
  CannotWrite,     // a file that may not or cannot be written: nothing was written
  WriteFailed,     // a write that failed part-way: the old file is whole
  SameFile,        // an output that is also an input
  NoAnswer,        // the device stopped answering
  Checksum,        // a page or image checksum error on read
  Mismatch,        // the device does not hold what was sent or expected
};

struct Error {
  ErrorKind kind{};
  std::string message{};  // what the user is shown, the system's own text
  std::string reason{};   // the operating system's reason, for a detail line; may be empty
  std::string hint{};     // what usually fixes it, for a line of its own; may be empty
  int systemError = 0;    // the errno behind `reason`; 0 when none
  // Range, Conversion, TooLong from the encoder or a setting's check: the
  // failing setting's position in settings::allSettings().
  std::optional<std::size_t> setting{};
  // Version from the decoder: the device's configuration version as the
  // message names it, its bytes as the device sent them.
  std::string deviceVersion{};
};

// Success with a T, or an Error. Result<void> carries no value.
template <class T = void>
class [[nodiscard]] Result {
 public:
  // Implicit, so that a function returns its value or its Error as it is.
  Result(T value) : state_(std::move(value)) {}
  Result(Error error) : state_(std::move(error)) {}

  bool ok() const { return std::holds_alternative<T>(state_); }
  explicit operator bool() const { return ok(); }

  // Asking a failure for its value, or a success for its error, is a fault in
  // the caller: it ends the program in every build rather than read on.
  T& value() {
    if (!ok()) programmingError("the value of a failed result: " + error().message);
    return std::get<T>(state_);
  }
  const T& value() const {
    if (!ok()) programmingError("the value of a failed result: " + error().message);
    return std::get<T>(state_);
  }
  const Error& error() const {
    if (ok()) programmingError("the error of a result that succeeded");
    return std::get<Error>(state_);
  }

 private:
  std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)) {}

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Error& error() const {
    if (ok()) programmingError("the error of a result that succeeded");
    return *error_;
  }

 private:
  std::optional<Error> error_;
};

inline Error makeError(ErrorKind kind, std::string message, std::string reason = {}) {
  return Error{.kind = kind, .message = std::move(message), .reason = std::move(reason)};
}

}  // namespace zorbel
